# Tests against a real Firebird server of their own (Linux only): the harness starts the
# server in a private root under the build folder before the tests and stops it afterwards,
# also when a test fails.
if(NOT WIN32)
  set(FIREBIRD_TEST_ROOT ${CMAKE_BINARY_DIR}/firebird)
  set(FIREBIRD_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/firebird-server.sh)

  file(GLOB FIREBIRD_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  add_executable(virazuzor_firebird_tests ${FIREBIRD_TEST_SOURCES}
    ${CMAKE_CURRENT_LIST_DIR}/../unit/test_support.cpp)
  target_include_directories(virazuzor_firebird_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../unit)
  target_link_libraries(virazuzor_firebird_tests PRIVATE virazuzor_core gtest gtest_main)
  target_compile_definitions(virazuzor_firebird_tests PRIVATE
    VIRAZUZOR_FIREBIRD_ROOT="${FIREBIRD_TEST_ROOT}"
    VIRAZUZOR_FIREBIRD_SCRIPT="${FIREBIRD_SERVER_SCRIPT}"
    VIRAZUZOR_STANDINS_DIR="${STANDINS_DIR_NATIVE}"
    VIRAZUZOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

  add_test(NAME firebird_server_setup COMMAND bash ${FIREBIRD_SERVER_SCRIPT} setup ${FIREBIRD_TEST_ROOT})
  add_test(NAME firebird_server_stop COMMAND bash ${FIREBIRD_SERVER_SCRIPT} stop ${FIREBIRD_TEST_ROOT})
  set_tests_properties(firebird_server_setup PROPERTIES FIXTURES_SETUP firebird_server)
  set_tests_properties(firebird_server_stop PROPERTIES FIXTURES_CLEANUP firebird_server)

  add_test(NAME firebird COMMAND virazuzor_firebird_tests)
  set_tests_properties(firebird PROPERTIES
    FIXTURES_REQUIRED firebird_server
    RESOURCE_LOCK firebird_server
    ENVIRONMENT "FIREBIRD=${FIREBIRD_TEST_ROOT};FIREBIRD_LOCK=${FIREBIRD_TEST_ROOT}/lock;FIREBIRD_TMP=${FIREBIRD_TEST_ROOT}/tmp")
  if(VIRAZUZOR_SANITIZE)
    # The leak check at exit stops every thread; the Firebird engine's threads, still winding
    # down then, can crash its tracer. Leaks are checked in the unit tests; here ASan and UBSan
    # still watch every access.
    set_tests_properties(firebird PROPERTIES ENVIRONMENT_MODIFICATION
      "ASAN_OPTIONS=set:detect_leaks=0")
  endif()
endif()

# Tests against a real Firebird server of their own (Linux only): the harness starts the
# server in a private root under the build folder before the tests and stops it afterwards,
# also when a test fails.
if(NOT WIN32)
  set(FIREBIRD_TEST_SOURCES
    database_link_test.cpp
    fb_test_support.cpp
    fbclient_api_check.cpp
    lock_sweep_test.cpp
    ordinary_end_test.cpp
    parameter_table_test.cpp
    update_check_test.cpp)
  set(FIREBIRD_TEST_ROOT ${CMAKE_BINARY_DIR}/firebird)
  set(FIREBIRD_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/firebird-server.sh)

  list(TRANSFORM FIREBIRD_TEST_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
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

  # Each case is a test of its own ("firebird.Suite.Case"); they take turns on the one server.
  # The test program points the client at the private root itself.
  set(FIREBIRD_TEST_PROPERTIES
    FIXTURES_REQUIRED firebird_server
    RESOURCE_LOCK firebird_server)
  if(VIRAZUZOR_SANITIZE)
    # The leak check at exit stops every thread; the Firebird engine's threads, still winding
    # down then, can crash its tracer. Leaks are checked in the unit tests; here ASan and UBSan
    # still watch every access.
    list(APPEND FIREBIRD_TEST_PROPERTIES ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=set:detect_leaks=0")
  endif()
  virazuzor_gtest_cases(virazuzor_firebird_tests firebird ${FIREBIRD_TEST_PROPERTIES})
endif()

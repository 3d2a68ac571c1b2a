# Fault scenarios: the headless program driven into awkward moments from outside, on a
# laid-out installation and the private Firebird server (Linux only).

# ---- Exit at awkward moments: on the sanitizer build, where a use after free is reported ----
if(NOT WIN32 AND VIRAZUZOR_SANITIZE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME faults_exit_moments
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/exit_moments.py
      --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
      --firebird-root ${CMAKE_BINARY_DIR}/firebird)
  # No leak check at exit: the Firebird client's threads, still winding down then, can crash
  # its tracer; every access is still watched.
  set_tests_properties(faults_exit_moments PROPERTIES
    FIXTURES_REQUIRED firebird_server
    RESOURCE_LOCK firebird_server
    TIMEOUT 900
    ENVIRONMENT "FIREBIRD=${CMAKE_BINARY_DIR}/firebird;FIREBIRD_LOCK=${CMAKE_BINARY_DIR}/firebird/lock;FIREBIRD_TMP=${CMAKE_BINARY_DIR}/firebird/tmp;ASAN_OPTIONS=detect_leaks=0")
endif()
# ---- end of exit at awkward moments ----

# The fault suite: the headless program as real processes under conditions that a room of
# workstations and a server room produce (Linux only: they need a Firebird server).

# Simultaneous starts and the server lost and back, through a private server of their own, so
# that they run beside the groups that share the firebird_server fixture.
if(NOT WIN32 AND NOT VIRAZUZOR_SANITIZE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(FAULTS_FIREBIRD_ROOT ${CMAKE_BINARY_DIR}/faults/firebird)
  set(FAULTS_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/firebird-server.sh)
  add_test(NAME faults_server_setup COMMAND bash ${FAULTS_SERVER_SCRIPT} setup ${FAULTS_FIREBIRD_ROOT})
  add_test(NAME faults_server_stop COMMAND bash ${FAULTS_SERVER_SCRIPT} stop ${FAULTS_FIREBIRD_ROOT})
  set_tests_properties(faults_server_setup PROPERTIES FIXTURES_SETUP faults_server)
  set_tests_properties(faults_server_stop PROPERTIES FIXTURES_CLEANUP faults_server)
  foreach(scenario simultaneous_starts server_lost)
    add_test(NAME faults_${scenario}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/${scenario}.py
        --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
        --firebird-root ${FAULTS_FIREBIRD_ROOT})
    # The server is killed in one of them: one at a time on this server.
    set_tests_properties(faults_${scenario} PROPERTIES
      FIXTURES_REQUIRED faults_server
      RESOURCE_LOCK faults_server
      TIMEOUT 1500
      ENVIRONMENT "FIREBIRD=${FAULTS_FIREBIRD_ROOT};FIREBIRD_LOCK=${FAULTS_FIREBIRD_ROOT}/lock;FIREBIRD_TMP=${FAULTS_FIREBIRD_ROOT}/tmp")
  endforeach()
  # Eight losses take about five minutes (two ticks of 20 s each): they start early, right
  # after the few seconds of the simultaneous starts, which meet a server that no kill has
  # left behind.
  set_tests_properties(faults_simultaneous_starts PROPERTIES COST 2000)
  set_tests_properties(faults_server_lost PROPERTIES COST 1000 DEPENDS faults_simultaneous_starts)
endif()

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

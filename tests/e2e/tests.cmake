# End to end: the headless program as a real process on a laid-out installation, driven from
# outside as a user and the other workstations would (Linux only: it needs the Firebird
# server that the database tests start).
if(NOT WIN32 AND NOT VIRAZUZOR_SANITIZE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME end_to_end
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/end_to_end.py
      --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
      --firebird-root ${CMAKE_BINARY_DIR}/firebird)
  set_tests_properties(end_to_end PROPERTIES
    FIXTURES_REQUIRED firebird_server
    RESOURCE_LOCK "firebird_server;companion_processes"
    # The whole run takes about seven minutes on a busy machine.
    TIMEOUT 1200
    ENVIRONMENT "FIREBIRD=${CMAKE_BINARY_DIR}/firebird;FIREBIRD_LOCK=${CMAKE_BINARY_DIR}/firebird/lock;FIREBIRD_TMP=${CMAKE_BINARY_DIR}/firebird/tmp")
endif()

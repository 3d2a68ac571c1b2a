# The systemd unit of the Linux service, verified by systemd itself with its folder filled in
# to this build's program (verify wants the program to exist).
if(NOT WIN32)
  find_program(SYSTEMD_ANALYZE systemd-analyze)
  add_test(NAME systemd_unit
    COMMAND ${CMAKE_COMMAND}
      -DANALYZE=${SYSTEMD_ANALYZE}
      -DUNIT=${PROJECT_SOURCE_DIR}/packaging/linux/vandrel-virazuzor.service
      -DPROGRAM=$<TARGET_FILE:vandrelVirazuzor>
      -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/packaging
      -P ${CMAKE_CURRENT_LIST_DIR}/verify_unit.cmake)
endif()

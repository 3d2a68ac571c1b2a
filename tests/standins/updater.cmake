# The updater, which records its command line; and the probe that hands over to it from a
# process of its own, so that the immediate end of that process can be watched.
if(WIN32)
  set(UPDATER_PLATFORM_SOURCE ${CMAKE_CURRENT_LIST_DIR}/updater_command_line_win32.cpp)
else()
  set(UPDATER_PLATFORM_SOURCE ${CMAKE_CURRENT_LIST_DIR}/updater_command_line_posix.cpp)
endif()
virazuzor_standin(standin_updater vandrelAtualizador ${CMAKE_CURRENT_LIST_DIR}/updater.cpp)
target_sources(standin_updater PRIVATE ${UPDATER_PLATFORM_SOURCE})

virazuzor_standin(standin_launch_probe launch_probe ${CMAKE_CURRENT_LIST_DIR}/launch_probe.cpp)
# A console program, so that the test that starts it can wait for its end and exit code.
set_target_properties(standin_launch_probe PROPERTIES WIN32_EXECUTABLE OFF)

# The unit tests: the system's code in-process, with the stand-ins of tests/standins/ as the
# installation's other programs.
set(UNIT_TEST_SOURCES
  app_supervision_test.cpp
  database_missing_client_test.cpp
  database_settings_test.cpp
  error_handler_test.cpp
  event_loop_test.cpp
  exit_inside_handler_test.cpp
  main_window_test.cpp
  notice_test.cpp
  platform_files_test.cpp
  platform_ini_test.cpp
  platform_text_test.cpp
  platform_windows_boundary_test.cpp
  platform_windows_sharing_test.cpp
  shared_folder_companions_test.cpp
  shared_folder_connection_state_test.cpp
  shared_folder_data_folder_test.cpp
  shared_folder_lock_files_test.cpp
  smoke_test.cpp
  test_support.cpp
  update_check_test.cpp
  update_file_date_test.cpp
  update_housekeeping_test.cpp
  update_launch_test.cpp
  update_paths_test.cpp)
if(WIN32)
  # Checks of the Windows views that reach into their real windows.
  list(APPEND UNIT_TEST_SOURCES
    win32/closers_test.cpp
    win32/dynamic_library_test.cpp
    win32/scoped_win_test.cpp
    win32/views_behaviour_test.cpp
    win32/views_teardown_test.cpp
    win32/icon.rc)
else()
  # Cases that only a POSIX system can stage (a child process that gives up its rights or
  # limits its memory), from tests/posix/.
  list(APPEND UNIT_TEST_SOURCES
    ../posix/error_handler_memory_test.cpp
    ../posix/file_error_text_test.cpp
    ../posix/ini_memory_test.cpp
    ../posix/lock_sweep_rights_test.cpp
    ../posix/non_regular_entries_test.cpp)
endif()
list(TRANSFORM UNIT_TEST_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

add_executable(virazuzor_tests ${UNIT_TEST_SOURCES})
target_link_libraries(virazuzor_tests PRIVATE virazuzor_core gtest gtest_main)
target_compile_definitions(virazuzor_tests PRIVATE
  VIRAZUZOR_STANDINS_DIR="${STANDINS_DIR_NATIVE}"
  VIRAZUZOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The process checks see every process of the machine (under Wine, of the prefix): a companion
# stand-in started by one case holds back another's start of the same name. The cases, and the
# other groups that start them, take turns.
virazuzor_gtest_cases(virazuzor_tests unit RESOURCE_LOCK companion_processes)

# The system's sources, by folder, and the platform layer of each build. Each list is explicit:
# a file joins the build when it is named here.
set(VIRAZUZOR_APP_SOURCES
  app/application.cpp app/command_line.cpp app/deferred_exit.cpp app/error_handler.cpp
  app/exit.cpp app/live_steps.cpp app/main_window_layout.cpp app/own_lock_file.cpp
  app/principal.cpp app/startup.cpp app/supervision.cpp)
set(VIRAZUZOR_DATABASE_SOURCES
  database/connection.cpp database/connection_string.cpp database/database_error.cpp
  database/database_link.cpp database/fbclient_library.cpp database/parameter_table.cpp
  database/query.cpp database/sql_literal.cpp database/transaction.cpp)
set(VIRAZUZOR_SHARED_FOLDER_SOURCES
  shared_folder/companions.cpp shared_folder/connection_state.cpp shared_folder/data_folder.cpp
  shared_folder/lock_files.cpp shared_folder/process_checks.cpp)
set(VIRAZUZOR_UPDATE_SOURCES
  update/file_date_text.cpp update/housekeeping.cpp update/update_check.cpp
  update/update_paths.cpp)
set(VIRAZUZOR_NOTICE_SOURCES notice/notice.cpp notice/notice_form.cpp notice/notice_layout.cpp)
# What both backends share.
set(VIRAZUZOR_PLATFORM_SOURCES
  platform/event_loop.cpp platform/main_window.cpp platform/paths.cpp
  platform/shell_link_override.cpp)
# The same operations for each build, file for file.
set(VIRAZUZOR_POSIX_SOURCES
  platform/posix/case_fold.cpp platform/posix/clock.cpp platform/posix/dialogs.cpp
  platform/posix/dynamic_library.cpp platform/posix/event_loop.cpp platform/posix/files.cpp
  platform/posix/folder_listing.cpp platform/posix/ini.cpp platform/posix/log_lines.cpp
  platform/posix/main_window.cpp platform/posix/notice_window.cpp platform/posix/paths.cpp
  platform/posix/process_start.cpp platform/posix/processes.cpp platform/posix/regular_file.cpp
  platform/posix/shell.cpp platform/posix/shell_link.cpp platform/posix/text.cpp)
set(VIRAZUZOR_WIN32_SOURCES
  platform/win32/application_window.cpp platform/win32/clock.cpp platform/win32/controls.cpp
  platform/win32/dialogs.cpp platform/win32/dynamic_library.cpp platform/win32/error_text.cpp
  platform/win32/event_loop.cpp platform/win32/files.cpp platform/win32/ini.cpp
  platform/win32/main_window.cpp platform/win32/notice_window.cpp platform/win32/paths.cpp
  platform/win32/processes.cpp platform/win32/shell.cpp platform/win32/shell_link.cpp
  platform/win32/text.cpp platform/win32/tray_icon.cpp)

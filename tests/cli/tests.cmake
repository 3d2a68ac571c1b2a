# The headless program's command line: each option's exit code and answer, run as a real
# process (Linux only: the Windows product reads no command line).
if(NOT WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME command_line
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/command_line.py
      $<TARGET_FILE:vandrelVirazuzor> ${PROJECT_VERSION})
endif()

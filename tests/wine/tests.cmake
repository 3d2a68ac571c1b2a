# The Windows build's user-interface checks under Wine: a helper that reads and presses
# message boxes and reads windows back, a unit test of the general error handler's real box,
# the program itself run on a small installation with screenshots kept in the build folder,
# and what the boxes and the shell calls are given, read from Wine's trace.
if(WIN32)
  add_executable(ui_helper ${CMAKE_CURRENT_LIST_DIR}/ui_helper.cpp)
  target_link_libraries(ui_helper PRIVATE virazuzor_core)
  target_link_options(ui_helper PRIVATE -municode)

  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME wine_user_interface
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/gui_check.py
      --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
      --program $<TARGET_FILE:vandrelVirazuzor> --helper $<TARGET_FILE:ui_helper>
      ${WINE_REAL_CLIENT_ARGS})
  set_tests_properties(wine_user_interface PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_display
    ${WINE_REAL_CLIENT_PROPERTIES})

  # The owner and flags of the message boxes and the shell's desktop question, read from
  # Wine's relay trace (a prefix of its own, on a display of its own).
  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME wine_box_owners
      COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24"
        ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/owner_check.py
        --build ${CMAKE_BINARY_DIR} --arch ${VIRAZUZOR_WINEARCH}
        --program $<TARGET_FILE:vandrelVirazuzor> --helper $<TARGET_FILE:ui_helper>)
    set_tests_properties(wine_box_owners PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_display)
  endif()
endif()

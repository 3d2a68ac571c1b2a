# The Windows build's user-interface checks under Wine: a helper that reads and presses
# message boxes and reads windows back, a unit test of the general error handler's real box,
# and the program itself run on a small installation with screenshots kept in the build folder.
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
endif()

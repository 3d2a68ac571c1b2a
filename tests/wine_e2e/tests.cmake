# The Windows build's stand-in for the Firebird client (test-only, never shipped) for the
# failures a real server cannot produce on demand, with its own test; and the end-to-end run
# of the whole program under Wine and Xvfb on the real client (real_client.cmake). Nothing on
# other builds: there the real client and server are used directly.
if(WIN32)
  set(GDS32_DOUBLE_DIR ${CMAKE_BINARY_DIR}/gds32_double)

  # A folder of its own: never beside the shipped program in the build root.
  add_library(gds32_double SHARED ${CMAKE_CURRENT_LIST_DIR}/gds32_double.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gds32_double.def)
  target_include_directories(gds32_double PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(gds32_double PRIVATE UNICODE _UNICODE)
  set_target_properties(gds32_double PROPERTIES OUTPUT_NAME gds32 PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${GDS32_DOUBLE_DIR} ARCHIVE_OUTPUT_DIRECTORY ${GDS32_DOUBLE_DIR})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The client's names carry no stdcall decoration: the .def file's plain names are bound
    # to the decorated symbols, quietly.
    target_link_options(gds32_double PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  endif()

  string(REPLACE "/" "\\\\" GDS32_DOUBLE_DIR_NATIVE "Z:${GDS32_DOUBLE_DIR}")
  add_executable(gds32_double_test ${CMAKE_CURRENT_LIST_DIR}/gds32_double_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/unit/test_support.cpp)
  target_link_libraries(gds32_double_test PRIVATE virazuzor_core gtest gtest_main)
  target_compile_definitions(gds32_double_test PRIVATE
    VIRAZUZOR_STANDINS_DIR="${STANDINS_DIR_NATIVE}"
    VIRAZUZOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GDS32_DOUBLE_DIR="${GDS32_DOUBLE_DIR_NATIVE}")
  add_dependencies(gds32_double_test gds32_double)
  # Its cases run on the run's one display (the wine_session fixture), racing no other test's.
  virazuzor_gtest_cases(gds32_double_test gds32_double)

  # The hands of the end-to-end run: notes and closes message boxes, chooses "&Sair".
  add_executable(window_helper ${CMAKE_CURRENT_LIST_DIR}/window_helper.cpp)
  target_include_directories(window_helper PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(window_helper PRIVATE -municode)
  target_link_libraries(window_helper PRIVATE user32 shell32)
  set_target_properties(window_helper PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine_e2e_tools)

  # The whole program under Wine of the build's kind on a virtual display (scripts/test.sh runs
  # the 32-bit product's tests where this machine runs 32-bit programs, else the 64-bit build's).
  find_package(Python3 COMPONENTS Interpreter)
  find_program(XVFB_RUN xvfb-run)
  if(Python3_FOUND AND XVFB_RUN)
    add_test(NAME wine_end_to_end
      COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24"
        ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/wine_end_to_end.py
        --build ${CMAKE_BINARY_DIR} --arch ${VIRAZUZOR_WINEARCH} ${WINE_REAL_CLIENT_ARGS})
    set_tests_properties(wine_end_to_end PROPERTIES TIMEOUT 400 RESOURCE_LOCK wine_display
      ${WINE_REAL_CLIENT_PROPERTIES})
  endif()
endif()

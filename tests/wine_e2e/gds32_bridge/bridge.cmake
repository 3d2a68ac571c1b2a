# The test-only gds32.dll that is the real Firebird client: a Winelib DLL built with winegcc
# for the Linux client of the build's width (libfbclient.so.2 of i386 or amd64), in a folder of
# the build of its own, never beside the shipped program. Its exports and forwarders come from
# entry_points.h; layout_check.cpp is compiled for both sides of the bridge. Where the Wine
# tools for the build's width are missing (wine32-tools for the 32-bit product, wine64-tools
# for the 64-bit build), nothing is built and the suites on the real client report "skipped".
set(GDS32_BRIDGE_DIR ${CMAKE_BINARY_DIR}/gds32_bridge)
set(GDS32_BRIDGE ${GDS32_BRIDGE_DIR}/gds32.dll.so)
set(bridge_source ${CMAKE_CURRENT_LIST_DIR})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(bridge_width -m32)
  set(bridge_triplet i386-linux-gnu)
  set(bridge_wine_unix /usr/lib/i386-linux-gnu/wine/i386-unix)
else()
  set(bridge_width -m64)
  set(bridge_triplet x86_64-linux-gnu)
  set(bridge_wine_unix /usr/lib/x86_64-linux-gnu/wine/x86_64-unix)
endif()
find_program(WINEGCC winegcc)
find_program(HOST_CXX NAMES g++ c++)
set(bridge_client /usr/lib/${bridge_triplet}/libfbclient.so.2)

# The program's side of the layout check, with the Windows build's own compiler.
add_library(gds32_bridge_layout OBJECT ${bridge_source}/layout_check.cpp)
target_include_directories(gds32_bridge_layout PRIVATE ${PROJECT_SOURCE_DIR})

if(WINEGCC AND HOST_CXX AND EXISTS ${bridge_wine_unix}/libwinecrt0.a AND EXISTS ${bridge_client})
  set(VIRAZUZOR_GDS32_BRIDGE ON)
  # The client's side: the host compiler for the client's width. The checks need the C++
  # headers only, never their library; where the 32-bit C++ headers are not installed, the
  # host's own configuration header serves, as no record here depends on it.
  execute_process(COMMAND ${HOST_CXX} -dumpversion OUTPUT_VARIABLE host_cxx_version
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(host_cxx_config /usr/include/x86_64-linux-gnu/c++/${host_cxx_version})
  set(client_side_includes -I${PROJECT_SOURCE_DIR})
  if(bridge_width STREQUAL -m32 AND NOT EXISTS ${host_cxx_config}/32/bits/c++config.h)
    list(APPEND client_side_includes -isystem ${host_cxx_config})
  endif()
  add_custom_command(OUTPUT ${GDS32_BRIDGE_DIR}/layout_checked
    COMMAND ${HOST_CXX} ${bridge_width} -std=c++20 -fsyntax-only -Wall -Wextra
      ${client_side_includes} ${bridge_source}/layout_check.cpp
    COMMAND ${CMAKE_COMMAND} -E touch ${GDS32_BRIDGE_DIR}/layout_checked
    DEPENDS ${bridge_source}/layout_check.cpp ${bridge_source}/entry_points.h
      ${PROJECT_SOURCE_DIR}/database/fbclient_api.h
    COMMENT "gds32 bridge: the client's side of the layout check (${bridge_width})" VERBATIM)

  # winegcc tells an export list by its file ending.
  set(bridge_exports ${GDS32_BRIDGE_DIR}/gds32.spec)
  add_custom_command(OUTPUT ${bridge_exports}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GDS32_BRIDGE_DIR}
    COMMAND ${CMAKE_C_COMPILER} -E -P -x c -I${bridge_source} ${bridge_source}/exports.in
      -o ${bridge_exports}
    DEPENDS ${bridge_source}/exports.in ${bridge_source}/entry_points.h
    COMMENT "gds32 bridge: the export list" VERBATIM)
  add_custom_command(OUTPUT ${GDS32_BRIDGE}
    COMMAND ${WINEGCC} ${bridge_width} -shared -O2 -Wall -Wextra -I${bridge_source}
      -o ${GDS32_BRIDGE} ${bridge_exports} ${bridge_source}/forwarders.c
      -ldl -lpthread
    DEPENDS ${bridge_exports} ${bridge_source}/forwarders.c
      ${bridge_source}/entry_points.h ${GDS32_BRIDGE_DIR}/layout_checked
    COMMENT "gds32 bridge: winegcc ${bridge_width}" VERBATIM)
  add_custom_target(gds32_bridge ALL DEPENDS ${GDS32_BRIDGE})
  add_dependencies(gds32_bridge gds32_bridge_layout)
else()
  set(VIRAZUZOR_GDS32_BRIDGE OFF)
  message(STATUS "gds32 bridge: no winegcc ${bridge_width} with the Wine tools in "
    "${bridge_wine_unix}, or no ${bridge_client}: the suites on the real client are skipped")
endif()

# The Windows suites' way to the real Firebird client: the bridge DLL (gds32_bridge/) and the
# private servers they use. Included before the test groups, which read what it sets.
include(${CMAKE_CURRENT_LIST_DIR}/gds32_bridge/bridge.cmake)

# The private Firebird servers of the Windows suites (scripts/firebird-server.sh): the one
# the installations share, one that a scenario kills and starts again, one that comes up only
# after the program, and one whose SYSDBA password is not the installation's.
set(WINE_FIREBIRD_ROOT ${CMAKE_BINARY_DIR}/firebird)
set(FIREBIRD_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/firebird-server.sh)
set(wine_firebird_servers)
if(VIRAZUZOR_GDS32_BRIDGE)
  set(wine_firebird_servers shared lost late refusing)
endif()
foreach(server IN LISTS wine_firebird_servers)
  if(server STREQUAL refusing)
    set(password outra)
  else()
    set(password plumgrave)
  endif()
  add_test(NAME wine_firebird_${server}_setup
    COMMAND bash ${FIREBIRD_SERVER_SCRIPT} setup ${WINE_FIREBIRD_ROOT}/${server} ${password})
  add_test(NAME wine_firebird_${server}_stop
    COMMAND bash ${FIREBIRD_SERVER_SCRIPT} stop ${WINE_FIREBIRD_ROOT}/${server})
  set_tests_properties(wine_firebird_${server}_setup PROPERTIES FIXTURES_SETUP wine_firebird)
  set_tests_properties(wine_firebird_${server}_stop PROPERTIES FIXTURES_CLEANUP wine_firebird)
endforeach()
# What the suites on the real client are given; without the bridge they report "skipped".
set(WINE_REAL_CLIENT_ARGS --bridge ${GDS32_BRIDGE} --firebird-root ${WINE_FIREBIRD_ROOT}
  --firebird-script ${FIREBIRD_SERVER_SCRIPT})
set(WINE_REAL_CLIENT_PROPERTIES FIXTURES_REQUIRED wine_firebird SKIP_RETURN_CODE 77)

# The three companion programs, one stand-in source under the three file names.
if(WIN32)
  set(COMPANION_PLATFORM_SOURCE ${CMAKE_CURRENT_LIST_DIR}/companion_win32.cpp)
else()
  set(COMPANION_PLATFORM_SOURCE ${CMAKE_CURRENT_LIST_DIR}/companion_posix.cpp)
endif()
foreach(pair "publication_monitor;vandrelMonitorPublicacao" "email_monitor;vandrelMonitorEmail"
        "service;vandrelService")
  list(GET pair 0 role)
  list(GET pair 1 file_name)
  virazuzor_standin(standin_${role} ${file_name} ${CMAKE_CURRENT_LIST_DIR}/companion.cpp)
  target_sources(standin_${role} PRIVATE ${COMPANION_PLATFORM_SOURCE})
endforeach()

# Cross build of the Windows program with mingw-w64's posix thread model (std::mutex and
# GoogleTest need it). Included by the toolchain file of each architecture.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VIRAZUZOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VIRAZUZOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VIRAZUZOR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VIRAZUZOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Programs built here run under Wine, in a prefix of their architecture inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${VIRAZUZOR_WINEARCH})

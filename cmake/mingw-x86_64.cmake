# The same program for 64-bit Windows: runs the Windows tests under wine64 on machines whose
# kernel does not execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VIRAZUZOR_MINGW x86_64-w64-mingw32)
set(VIRAZUZOR_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

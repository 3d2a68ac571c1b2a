# The product: 32-bit, as the installation's gds32.dll is 32-bit.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VIRAZUZOR_MINGW i686-w64-mingw32)
set(VIRAZUZOR_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

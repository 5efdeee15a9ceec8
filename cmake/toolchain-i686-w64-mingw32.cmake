# Cross-compiling for 32-bit Windows (the primary target); tests run in a 32-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(WAYLEAP_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

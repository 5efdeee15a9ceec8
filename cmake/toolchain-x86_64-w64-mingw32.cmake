# Cross-compiling for 64-bit Windows; tests run in a 64-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(WAYLEAP_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

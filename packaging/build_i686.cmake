# Builds the i686 parts the installer carries (Wayleap.exe, SkipdoorCM.dll) and
# the 32-bit programs its tests run (the probe and the demo driver), in an i686 build tree; configures that tree
# first when it has never been configured.
#   cmake -DSOURCE_DIR=<source tree> -DBUILD_DIR=<i686 build tree> -P build_i686.cmake
if(NOT SOURCE_DIR OR NOT BUILD_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=... -DBUILD_DIR=... -P build_i686.cmake")
endif()

if(NOT EXISTS "${BUILD_DIR}/CMakeCache.txt")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-i686-w64-mingw32.cmake
            -DCMAKE_BUILD_TYPE=Release
        COMMAND_ERROR_IS_FATAL ANY)
endif()

execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target SkipdoorCM Wayleap installer_probe wayleap_demo
    COMMAND_ERROR_IS_FATAL ANY)

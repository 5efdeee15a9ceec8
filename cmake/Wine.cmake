# Running the Windows test programs under Wine from ctest.
# Each build tree has its own prefix (build/<preset>/wineprefix), created once
# by the wine.setup fixture and reused; wine.cleanup stops what setup started.
# Setup decides how this machine runs 32-bit Windows programs
# (tools/wine-lib.sh); where it runs none, everything that needs one exits with
# 77 after saying why, and ctest reports it as skipped.
find_program(WINE_PROGRAM wine REQUIRED)
if(NOT WAYLEAP_WINEARCH)
    set(WAYLEAP_WINEARCH win32)
endif()

set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${CMAKE_BINARY_DIR})

add_test(NAME wine.setup
    COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env.sh start ${CMAKE_BINARY_DIR} ${WAYLEAP_WINEARCH})
add_test(NAME wine.cleanup
    COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env.sh stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 400 SKIP_RETURN_CODE 77)
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine)

# Adds a GoogleTest program as one ctest test run under Wine. Each program is a
# group of related cases; its own output lists them one by one. Its watchdog
# ends a hung test within seconds; the time limit is only a backstop.
function(wayleap_add_wine_test name target)
    add_test(NAME wine.${name} COMMAND ${target} ${ARGN})
    set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 60 SKIP_RETURN_CODE 77)
endfunction()

# Marks tests of a 64-bit tree that start 32-bit Windows programs (the
# installer, the i686 demo driver), so they are skipped where none can run.
function(wayleap_needs_i686)
    set_tests_properties(${ARGN} PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT WAYLEAP_NEEDS_I686=1)
endfunction()

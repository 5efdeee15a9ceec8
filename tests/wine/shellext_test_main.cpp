// Entry point of the SkipdoorCM.dll test programs: an apartment-threaded
// thread like the shell's, and the path of the built DLL from the command line.
#include <gtest/gtest.h>

#include <objbase.h>

#include "tests/wine/shellext_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-SkipdoorCM.dll [gtest options]\n", argv[0]);
        return 2;
    }
    wayleap::test::SetBuiltDllPath(argv[1]);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}

// The entry point of the Wine test programs that need no setup of their own.
#include <gtest/gtest.h>

#include "tests/wine/watchdog.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wayleap::test::StartWatchdog();
    return RUN_ALL_TESTS();
}

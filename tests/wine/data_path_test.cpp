// Where a module finds FolderList.dat: beside itself, computed from its own
// file name, with over-long directories and double-byte names handled.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/wine/test_support.h"
#include "win/list_file_io.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

constexpr UINT kFileNameString = 110;

// Copies this program to `exePath`, runs the copy so that it writes its own
// data-file path to a file, and returns what it wrote ("<failed>" if it did not run).
std::string DataPathSeenBy(const std::string& exePath, const std::string& outFile) {
    if (!CopyFileA(OwnPath().c_str(), exePath.c_str(), FALSE)) return "<copy failed>";
    const int code = RunAndWait("\"" + exePath + "\" --print-data-path \"" + outFile + "\"");
    if (code != 0) return "<failed>";
    return ReadBytes(outFile);
}

// Creates directories under `base` until the path, with its trailing
// backslash, is exactly `length` characters long.
std::string NestedDirOfLength(const std::string& base, std::size_t length) {
    std::string dir = base;
    while (dir.size() < length) {
        std::size_t take = std::min<std::size_t>(41, length - dir.size());
        if (length - dir.size() - take == 1) --take;  // never leave a single character
        dir += std::string(take - 1, 'd') + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    return dir;
}

TEST(DataFilePath, IsTheModulesDirectoryPlusTheFileName) {
    EXPECT_EQ(ModuleDataFilePath(GetModuleHandleA(nullptr), kFileNameString), OwnDir() + "FolderList.dat");
}

TEST(DataFilePath, MissingFileNameStringGivesEmptyPath) {
    EXPECT_EQ(ModuleDataFilePath(GetModuleHandleA(nullptr), 4242), "");
}

TEST(DataFilePath, DirectoryTooLongForTheFileNameGivesEmptyPath) {
    ScratchDir scratch;
    // Directory of 250 characters: the program fits in MAX_PATH, its data file does not.
    const std::string tooLong = NestedDirOfLength(scratch.path(), 250);
    ASSERT_EQ(tooLong.size(), 250u);
    EXPECT_EQ(DataPathSeenBy(tooLong + "p.exe", scratch / "out1.txt"), "");

    // 245 characters + "FolderList.dat" = 259, the longest path that fits.
    const std::string fitsBase = scratch / "b\\";
    ASSERT_TRUE(CreateDirectoryA(fitsBase.c_str(), nullptr));
    const std::string fits = NestedDirOfLength(fitsBase, 245);
    ASSERT_EQ(fits.size(), 245u);
    EXPECT_EQ(DataPathSeenBy(fits + "p.exe", scratch / "out2.txt"), fits + "FolderList.dat");
}

// Runs only in the ctest entry that starts Wine with code page 932.
TEST(DataFilePath, DoubleByteNameWithBackslashTrailByte) {
    if (!std::getenv("WAYLEAP_EXPECT_CP932")) GTEST_SKIP() << "runs with code page 932 only";
    ASSERT_EQ(GetACP(), 932u);
    ScratchDir scratch;
    // 0x95 0x5C is one character in code page 932; its trail byte is a
    // backslash in single-byte terms, and must not be taken for one.
    const std::string dir = scratch / "\x95\x5C" "dir\\";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string exe = dir + "a\x95\x5C" "b.exe";
    EXPECT_EQ(DataPathSeenBy(exe, scratch / "out.txt"), dir + "FolderList.dat");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--print-data-path") == 0) {
        return WriteBytes(argv[2], ModuleDataFilePath(GetModuleHandleA(nullptr), kFileNameString)) ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

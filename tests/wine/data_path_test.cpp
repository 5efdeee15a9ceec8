// Where a module finds FolderList.dat: beside itself, from its own file name,
// in a directory too long for it and in a double-byte directory name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/wine/test_support.h"
#include "win/code_page.h"
#include "win/list_file_io.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

constexpr UINT kFileNameString = 110;

// Runs a copy of this program at `exePath`; what it takes for its own data-file path.
std::string DataPathSeenBy(const std::wstring& exePath, const std::string& outFile) {
    if (!CopyFileW(AnsiToWide(OwnPath()).c_str(), exePath.c_str(), FALSE)) {
        return "<not copied: " + std::to_string(GetLastError()) + ">";
    }
    const int code = RunAndWait(L"\"" + exePath + L"\" --print-data-path \"" + AnsiToWide(outFile) + L"\"");
    return code == 0 ? ReadBytes(outFile) : "<failed: exit code " + std::to_string(code) + ">";
}

TEST(DataFilePath, IsBesideTheModuleWhenItFits) {
    // Directories of 245 and 246 characters: the data file's path just fits in MAX_PATH, or is one too long.
    ScratchDir scratch;
    std::string base = scratch.path();
    while (base.size() < 200) CreateDirectoryA((base += std::string(40, 'd') + "\\").c_str(), nullptr);
    for (const std::size_t length : {245u, 246u}) {
        const std::string dir = base + std::string(length - base.size() - 1, 'e') + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        EXPECT_EQ(DataPathSeenBy(AnsiToWide(dir + "p.exe"), dir + "out.txt"),
                  length == 245 ? dir + "FolderList.dat" : "");
    }
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
    EXPECT_EQ(DataPathSeenBy(AnsiToWide(dir + "a\x95\x5C" "b.exe"), scratch / "out.txt"), dir + "FolderList.dat");
}

// Installed in a folder whose name the code page cannot hold, a module finds
// its data file through the short form of its path, never a look-alike.
TEST(DataFilePath, FolderOutsideTheCodePageIsReachedByItsShortForm) {
    if (std::getenv("WAYLEAP_EXPECT_CP932")) GTEST_SKIP() << "runs with code page 1252";
    ScratchDir scratch;
    const std::wstring dir = AnsiToWide(scratch.path()) + L"\u65E5\u672C\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    const std::string seen = DataPathSeenBy(dir + L"p.exe", scratch / "out.txt");
    // The folder seen is this one by its short name (a look-alike such as "??" names no folder).
    wchar_t longForm[MAX_PATH + 1] = {};
    const std::wstring seenDir = AnsiToWide(seen.substr(0, seen.size() - std::string("FolderList.dat").size()));
    ASSERT_GT(GetLongPathNameW(seenDir.c_str(), longForm, MAX_PATH), 0u) << seen;
    EXPECT_EQ(lstrcmpiW(longForm, dir.c_str()), 0) << seen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--print-data-path") == 0) {
        return WriteBytes(argv[2], ModuleDataFilePath(GetModuleHandleA(nullptr), kFileNameString)) ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    StartWatchdog();
    return RUN_ALL_TESTS();
}

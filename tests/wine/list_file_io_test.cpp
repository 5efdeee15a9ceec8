// FolderList.dat through the real Win32 file API: where a module finds it,
// loads that say what they could not read, and saves that never leave a
// half-written or lost list.
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

const std::string kTwoEntries = "Projects\nC:\\Work\\Projects|1|1\nTemp\nD:\\Temp|0|0\n";

class ListFileIo : public ::testing::Test {
protected:
    // The file holds the two entries, and no temporary file is left beside it.
    void ExpectTwoEntriesOnly(const char* why) {
        EXPECT_EQ(ReadBytes(data), kTwoEntries) << why;
        EXPECT_TRUE(FilesMatching(dir.path(), "~WL*.tmp").empty()) << why;
    }

    ScratchDir dir;
    std::string data = dir / "FolderList.dat";
};

// A load reads the file whole and one byte more, to tell a longer one.
TEST_F(ListFileIo, LoadSaysHowMuchItRead) {
    std::string limit;  // exactly the 64 KiB a load takes in
    while (limit.size() + 11 <= 65536) limit += "N\nC:\\F|0|0\n";
    limit.resize(65536, '\n');
    const struct { const char* why; std::string bytes; LoadStatus status; std::size_t count; } cases[] = {
        {"empty file", "", LoadStatus::Loaded, 0},
        {"exactly 64 KiB", limit, LoadStatus::Loaded, 65536 / 11},
        {"one byte more", limit + "N", LoadStatus::Partial, 65536 / 11},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(data, c.bytes));
        FolderList list;
        EXPECT_EQ(LoadFolderList(data, list), c.status) << c.why;
        EXPECT_EQ(list.Count(), c.count) << c.why;
    }
}

TEST_F(ListFileIo, SaveReplacesTheFileWhole) {
    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Missing);
    list.Append({"Projects", "C:\\Work\\Projects", true, true});
    list.Append({"Temp", "D:\\Temp", false, false});
    EXPECT_EQ(SaveFolderList(data, list), SaveStatus::Saved);
    ExpectTwoEntriesOnly("saved");
    EXPECT_EQ(SaveFolderList(dir / "gone\\FolderList.dat", list), SaveStatus::Failed) << "no such directory";
    EXPECT_EQ(LoadFolderList("", list), LoadStatus::Unreadable) << "no path: the module's name could not be read";
}

TEST_F(ListFileIo, SaveThatMeetsAnotherProgramIsBusyAndChangesNothing) {
    const struct { const char* why; DWORD access, share; LoadStatus load; } others[] = {
        {"a writer", GENERIC_WRITE, 0, LoadStatus::Unreadable},
        {"a reader", GENERIC_READ, FILE_SHARE_READ, LoadStatus::Loaded},
    };
    for (const auto& other : others) {
        ASSERT_TRUE(WriteBytes(data, kTwoEntries));
        unique_file open(CreateFileA(data.c_str(), other.access, other.share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open) << other.why;
        FolderList list;
        EXPECT_EQ(LoadFolderList(data, list), other.load) << other.why;
        EXPECT_EQ(SaveFolderList(data, FolderList()), SaveStatus::Busy) << other.why;
        open.reset();
        ExpectTwoEntriesOnly(other.why);
    }
    EXPECT_EQ(SaveFolderList(data, FolderList()), SaveStatus::Saved) << "once the others are gone";
    EXPECT_TRUE(FileExists(data)) << "an empty list is stored as an empty file";
}

TEST_F(ListFileIo, RefusedSaveChangesNothing) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));
    FolderList lineBreak;
    lineBreak.Append({"two\nlines", "C:\\x", false, false});
    EXPECT_EQ(SaveFolderList(data, lineBreak), SaveStatus::InvalidEntry);
    ExpectTwoEntriesOnly("line break in a name");

    FolderList huge;
    for (int i = 0; i < 300; ++i) huge.Append({"entry", "C:\\" + std::string(250, 'p'), false, false});
    EXPECT_EQ(SaveFolderList(data, huge), SaveStatus::TooLarge);
    ExpectTwoEntriesOnly("over 64 KiB");
}

// A save given the bytes its load read happens only while the file still
// holds exactly them; otherwise another program's change stays as it is.
TEST_F(ListFileIo, SaveOverAChangedFileIsRefused) {
    const std::string grown = kTwoEntries + std::string(70000, '\n');
    const struct { const char* why; const char* now; std::string expected; SaveStatus status; } cases[] = {
        {"unchanged", kTwoEntries.c_str(), kTwoEntries, SaveStatus::Saved},
        {"replaced", "Other\nC:\\Other|0|0\n", kTwoEntries, SaveStatus::Changed},
        {"grown past 64 KiB", grown.c_str(), kTwoEntries, SaveStatus::Changed},
        {"deleted", nullptr, kTwoEntries, SaveStatus::Changed},
        {"made where there was none", kTwoEntries.c_str(), "", SaveStatus::Changed},
    };
    FolderList one;
    one.Append({"Saved", "C:\\Saved", false, false});
    for (const auto& c : cases) {
        DeleteFileA(data.c_str());
        if (c.now) ASSERT_TRUE(WriteBytes(data, c.now)) << c.why;
        EXPECT_EQ(SaveFolderList(data, one, &c.expected), c.status) << c.why;
        const std::string expectedNow = c.status == SaveStatus::Saved ? "Saved\nC:\\Saved|0|0\n" : c.now ? c.now : "";
        EXPECT_EQ(FileExists(data) ? ReadBytes(data) : "", expectedNow) << c.why;
    }
}

// Two processes on one file: this one loads in a loop while a copy of itself
// (--saver) saves two different lists in turn. Every load must see one of the
// two lists whole, or find the file busy; never a torn or half-written list.
constexpr int kRounds = 300;

// Big enough that a save takes more than one write.
FolderList ListOf(int n, char c) {
    FolderList list;
    for (int i = 0; i < n; ++i) list.Append({"f", "C:\\" + std::string(200, c) + std::to_string(i), i % 2 == 0, false});
    return list;
}
const FolderList kListA = ListOf(40, 'a');
const FolderList kListB = ListOf(150, 'b');

// The saver: 0 when it saved at least once and met nothing but a busy file.
int RunSaver(const std::string& path) {
    int saved = 0;
    for (int i = 0; i < kRounds; ++i) {
        const SaveStatus status = SaveFolderList(path, i % 2 ? kListA : kListB);
        if (status == SaveStatus::Saved) ++saved;
        else if (status != SaveStatus::Busy) return 2;
    }
    return saved > 0 ? 0 : 3;
}

TEST(ListFileStress, LoadsNeverSeeATornList) {
    ScratchDir dir;
    const std::string path = dir / "FolderList.dat";
    ASSERT_EQ(SaveFolderList(path, kListA), SaveStatus::Saved);
    const unique_file saver = StartProcess("\"" + OwnPath() + "\" --saver \"" + path + "\"");
    ASSERT_TRUE(saver);

    int whole = 0, torn = 0;
    bool saverDone = false;
    for (int round = 0; (!saverDone || round < kRounds) && round < 100 * kRounds; ++round) {
        saverDone = WaitForSingleObject(saver.get(), 0) == WAIT_OBJECT_0;
        NoteProgress();
        FolderList list;
        const LoadStatus status = LoadFolderList(path, list);
        if (status == LoadStatus::Loaded && (list == kListA || list == kListB)) ++whole;
        else if (status != LoadStatus::Unreadable) ++torn;  // Unreadable: met the saver's exclusive check
    }
    EXPECT_EQ(ExitCodeOf(saver.get(), 60000), 0)
        << "the saver met an error other than a busy file, never saved, or did not end (-1)";
    EXPECT_EQ(torn, 0) << "loads that saw neither list whole";
    EXPECT_GT(whole, 0);
}

// Where a module finds FolderList.dat: beside itself, from its own file name,
// in a directory too long for it and in a double-byte directory name.
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
    if (argc == 3 && std::strcmp(argv[1], "--saver") == 0) return RunSaver(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--print-data-path") == 0) {
        return WriteBytes(argv[2], ModuleDataFilePath(GetModuleHandleA(nullptr), kFileNameString)) ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    StartWatchdog();
    return RUN_ALL_TESTS();
}

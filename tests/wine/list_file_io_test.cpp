// FolderList.dat through the real Win32 file API: loads that say what they
// could not read, and saves that never leave a half-written or lost list.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--saver") == 0) return RunSaver(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    StartWatchdog();
    return RUN_ALL_TESTS();
}

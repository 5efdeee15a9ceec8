// FolderList.dat through the real Win32 file API: missing, locked, busy and
// unwritable files, and saves that never leave a half-written or lost list.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/test_support.h"
#include "win/list_file_io.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const char kTwoEntries[] = "Projects\nC:\\Work\\Projects|1|1\nTemp\nD:\\Temp|0|0\n";

FolderList SampleList() {
    FolderList list;
    list.Append({"Downloads", "C:\\Users\\me\\Downloads", false, false});
    list.Append({"Music", "D:\\Music", true, true});
    return list;
}

unique_file OpenOther(const std::string& path, DWORD access, DWORD share) {
    return unique_file(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

class ListFileIo : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string data = dir / "FolderList.dat";

    // After a failed save: the file holds what it held, and no temporary file is left.
    void ExpectUntouched(const std::string& before) {
        EXPECT_EQ(ReadBytes(data), before);
        EXPECT_TRUE(FilesMatching(dir.path(), "~WL*.tmp").empty());
    }
};

TEST_F(ListFileIo, MissingFileLoadsEmptyAndMayBeSaved) {
    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Missing);
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(MaySaveOver(LoadStatus::Missing));

    ASSERT_EQ(SaveFolderList(data, SampleList()), SaveStatus::Saved);
    FolderList back;
    EXPECT_EQ(LoadFolderList(data, back), LoadStatus::Loaded);
    EXPECT_EQ(back, SampleList());
    EXPECT_TRUE(FilesMatching(dir.path(), "~WL*.tmp").empty());
}

TEST_F(ListFileIo, MissingDirectoryIsMissingAndCannotBeSaved) {
    const std::string nowhere = dir / "gone\\FolderList.dat";
    FolderList list;
    EXPECT_EQ(LoadFolderList(nowhere, list), LoadStatus::Missing);
    EXPECT_EQ(SaveFolderList(nowhere, SampleList()), SaveStatus::Failed);
    EXPECT_FALSE(FileExists(nowhere));
}

TEST_F(ListFileIo, EmptyPathFailsCleanly) {
    FolderList list;
    EXPECT_EQ(LoadFolderList("", list), LoadStatus::Unreadable);
    EXPECT_FALSE(MaySaveOver(LoadStatus::Unreadable));
    EXPECT_EQ(SaveFolderList("", SampleList()), SaveStatus::Failed);
}

TEST_F(ListFileIo, LoadsTheExampleFileExactly) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));
    FolderList list;
    list.Append({"kept", "C:\\kept", false, false});  // a load appends
    ASSERT_EQ(LoadFolderList(data, list), LoadStatus::Loaded);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(1), (FolderEntry{"Projects", "C:\\Work\\Projects", true, true}));
    EXPECT_EQ(list.At(2), (FolderEntry{"Temp", "D:\\Temp", false, false}));
}

TEST_F(ListFileIo, SaveWritesTheExactBytes) {
    FolderList list;
    list.Append({"Projects", "C:\\Work\\Projects", true, true});
    list.Append({"Temp", "D:\\Temp", false, false});
    ASSERT_EQ(SaveFolderList(data, list), SaveStatus::Saved);
    EXPECT_EQ(ReadBytes(data), kTwoEntries);
    ASSERT_EQ(SaveFolderList(data, FolderList()), SaveStatus::Saved);
    EXPECT_TRUE(FileExists(data));
    EXPECT_EQ(ReadBytes(data), "");
}

TEST_F(ListFileIo, EmptyFileLoadsAsEmptyList) {
    ASSERT_TRUE(WriteBytes(data, ""));
    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Loaded);
    EXPECT_TRUE(list.Empty());
}

TEST_F(ListFileIo, FileOpenForWritingByAnotherIsUnreadableAndNotReplaced) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));
    unique_file writer = OpenOther(data, GENERIC_WRITE, 0);
    ASSERT_TRUE(writer);

    FolderList list;
    list.Append({"mine", "C:\\mine", false, false});
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Unreadable);
    EXPECT_EQ(list.Count(), 1u) << "a failed load leaves the list unchanged";
    EXPECT_FALSE(MaySaveOver(LoadStatus::Unreadable));

    EXPECT_EQ(SaveFolderList(data, SampleList()), SaveStatus::Busy);
    writer.reset();
    ExpectUntouched(kTwoEntries);
}

TEST_F(ListFileIo, FileOpenForReadingMayBeReadButNotReplaced) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));
    unique_file reader = OpenOther(data, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader);

    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Loaded) << "readers share the file";
    EXPECT_EQ(list.Count(), 2u);

    EXPECT_EQ(SaveFolderList(data, SampleList()), SaveStatus::Busy);
    reader.reset();
    ExpectUntouched(kTwoEntries);

    EXPECT_EQ(SaveFolderList(data, SampleList()), SaveStatus::Saved) << "once the reader is gone";
}

TEST_F(ListFileIo, ReadOnlyFileIsNotReplaced) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));
    ASSERT_TRUE(SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SaveFolderList(data, SampleList()), SaveStatus::Failed);
    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectUntouched(kTwoEntries);
}

TEST_F(ListFileIo, UnwritableDirectoryFailsAndLeavesNothingBehind) {
    // A directory that cannot take a new file: here its place is held by a
    // plain file, so nothing can be created under it whoever runs the test.
    const std::string blocked = dir / "blocked";
    ASSERT_TRUE(WriteBytes(blocked, "not a directory"));
    EXPECT_EQ(SaveFolderList(blocked + "\\FolderList.dat", SampleList()), SaveStatus::Failed);
    EXPECT_EQ(ReadBytes(blocked), "not a directory");
}

TEST_F(ListFileIo, RefusedListsLeaveTheFileAsItWas) {
    ASSERT_TRUE(WriteBytes(data, kTwoEntries));

    FolderList badName = SampleList();
    badName.Append({"two\nlines", "C:\\x", false, false});
    EXPECT_EQ(SaveFolderList(data, badName), SaveStatus::InvalidEntry);
    ExpectUntouched(kTwoEntries);

    FolderList huge;
    const std::string longPath = "C:\\" + std::string(250, 'p');
    for (int i = 0; i < 300; ++i) huge.Append({"entry", longPath, false, false});
    EXPECT_EQ(SaveFolderList(data, huge), SaveStatus::TooLarge);
    ExpectUntouched(kTwoEntries);
}

TEST_F(ListFileIo, PartLoadedFilesAreReportedAsPartial) {
    // An over-long line stops the reading; the entries before it are kept.
    ASSERT_TRUE(WriteBytes(data, std::string(kTwoEntries) + std::string(300, 'n') + "\nC:\\x|0|0\n"));
    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Partial);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_FALSE(MaySaveOver(LoadStatus::Partial));

    // A file longer than what is read.
    std::string big;
    while (big.size() <= 65536) big += "Name\nC:\\Some\\Folder|0|0\n";
    ASSERT_TRUE(WriteBytes(data, big));
    FolderList bigList;
    EXPECT_EQ(LoadFolderList(data, bigList), LoadStatus::Partial);
    EXPECT_GT(bigList.Count(), 2000u);
}

TEST_F(ListFileIo, FileOfExactlyTheReadLimitIsLoadedWhole) {
    std::string bytes;
    const std::string record = "N\nC:\\F|0|0\n";  // 11 bytes
    while (bytes.size() + record.size() <= 65536) bytes += record;
    bytes += std::string(65536 - bytes.size(), '\n');
    ASSERT_EQ(bytes.size(), 65536u);
    ASSERT_TRUE(WriteBytes(data, bytes));
    FolderList list;
    EXPECT_EQ(LoadFolderList(data, list), LoadStatus::Loaded);
    EXPECT_EQ(list.Count(), 65536u / 11u);
}

TEST_F(ListFileIo, LongestStorablePathSurvivesSaveAndLoad) {
    FolderList list;
    list.Append({std::string(260, 'n'), "C:\\" + std::string(257, 'p'), true, false});
    list.Append({"after", "C:\\after", false, true});
    ASSERT_EQ(SaveFolderList(data, list), SaveStatus::Saved);
    FolderList back;
    EXPECT_EQ(LoadFolderList(data, back), LoadStatus::Loaded);
    EXPECT_EQ(back, list);
}

}  // namespace

// Two processes on one FolderList.dat: this one loads in a loop while a copy
// of itself saves two different lists in turn. Every load must see one of the
// two lists whole, or find the file busy; never a torn or half-written list.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"
#include "win/list_file_io.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

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

// Two processes on one FolderList.dat: this one loads in a loop while a copy
// of itself saves two different lists in turn. Every load must see one of the
// two lists whole; a torn or half-written file must never be seen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/wine/test_support.h"
#include "win/list_file_io.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

constexpr int kRounds = 300;

FolderList ListOf(int count, const char* tag) {
    FolderList list;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        list.Append({std::string(tag) + " " + n, "C:\\" + std::string(tag) + "\\" + std::string(200, 'x') + n,
                     i % 2 == 0, i % 3 == 0});
    }
    return list;
}

// Big enough that a write takes more than one system call's worth of bytes.
const FolderList& ListA() {
    static const FolderList list = ListOf(40, "alpha");
    return list;
}
const FolderList& ListB() {
    static const FolderList list = ListOf(150, "beta");
    return list;
}

int RunSaver(const std::string& path, int rounds) {
    int saved = 0;
    for (int i = 0; i < rounds; ++i) {
        const SaveStatus status = SaveFolderList(path, i % 2 ? ListA() : ListB());
        if (status == SaveStatus::Saved) ++saved;
        else if (status != SaveStatus::Busy) return 2;  // anything but a busy file is a fault
    }
    return saved > 0 ? 0 : 3;
}

TEST(ListFileStress, LoadsNeverSeeATornList) {
    ScratchDir dir;
    const std::string path = dir / "FolderList.dat";
    ASSERT_EQ(SaveFolderList(path, ListA()), SaveStatus::Saved);

    const unique_file saver =
        StartProcess("\"" + OwnPath() + "\" --saver \"" + path + "\" " + std::to_string(kRounds));
    ASSERT_TRUE(saver);

    int loaded = 0, busy = 0, torn = 0, rounds = 0;
    bool saverDone = false;
    while (!saverDone || rounds < kRounds) {
        saverDone = WaitForSingleObject(saver.get(), 0) == WAIT_OBJECT_0;
        ++rounds;
        FolderList list;
        const LoadStatus status = LoadFolderList(path, list);
        if (status == LoadStatus::Unreadable) {
            ++busy;  // met the saver's exclusive check; a shell menu would show no folders once
        } else if (status == LoadStatus::Loaded && (list == ListA() || list == ListB())) {
            ++loaded;
        } else {
            ++torn;
        }
        if (rounds > 100 * kRounds) break;
    }
    ASSERT_EQ(WaitForSingleObject(saver.get(), 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(saver.get(), &code);
    EXPECT_EQ(code, 0u) << "the saver met an error other than a busy file, or never saved";
    EXPECT_EQ(torn, 0) << "loads that saw neither list whole";
    EXPECT_GT(loaded, 0);
    EXPECT_TRUE(FilesMatching(dir.path(), "~WL*.tmp").empty());
    std::printf("loads: %d whole, %d busy; saver exit %lu\n", loaded, busy, code);

    FolderList last;
    EXPECT_EQ(LoadFolderList(path, last), LoadStatus::Loaded);
    EXPECT_TRUE(last == ListA() || last == ListB());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--saver") == 0) return RunSaver(argv[2], std::atoi(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Wayleap.exe itself, started as its own process the way a user starts it:
// it shows the configuration sheet and nothing else, and Cancel ends it
// without writing anything.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "tests/wine/config_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

std::string g_builtProgram;

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        CleanSettings();
        ASSERT_TRUE(CopyFileA(g_builtProgram.c_str(), program.c_str(), FALSE)) << g_builtProgram;
        ASSERT_TRUE(WriteBytes(scratch / "FolderList.dat", kBytes));
    }
    void TearDown() override {
        if (process) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
        CleanSettings();
    }

    void Start() {
        process = StartProcess("\"" + program + "\"", scratch.path(), &processId);
        ASSERT_TRUE(process);
    }

    const std::string kBytes = Record("A", "C:\\Folders\\A", true, false);
    ScratchDir scratch;
    std::string program = scratch / "Wayleap.exe";
    unique_file process;
    DWORD processId = 0;
};

TEST_F(Program, ShowsTheSheetAndEndsWithoutWritingWhenCancelled) {
    Start();
    HWND sheet = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (sheet = FindProcessDialog(processId, kSheetCaption)) != nullptr; }, 30000))
        << "no \"Wayleap Configuration\" window";

    HWND tabs = GetDlgItem(sheet, kSheetTabs);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3) << "General, Folders, About";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, kSheetApply)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kSheetApply)));
    HWND help = GetDlgItem(sheet, IDHELP);
    EXPECT_TRUE(!help || !IsWindowVisible(help)) << "no Help button";
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr);

    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << "the program did not end";
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    process.reset();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadStoredSettings(), kNothingStored);
    EXPECT_EQ(ReadBytes(scratch / "FolderList.dat"), kBytes);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-Wayleap.exe [gtest options]\n", argv[0]);
        return 2;
    }
    g_builtProgram = WinePath(argv[1]);
    return RUN_ALL_TESTS();
}

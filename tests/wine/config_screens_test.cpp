// Pictures of the configuration program for people to look at: the three
// pages and both folder dialogs, saved when WAYLEAP_SCREENSHOTS names a
// directory (tools/screenshots.sh).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "config/resource_ids.h"
#include "tests/wine/config_fixture.h"
#include "tests/wine/screenshot.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

class ConfigScreens : public ConfigSheetTest {};

TEST_F(ConfigScreens, ThreePagesAndBothDialogs) {
    if (ScreenshotDir().empty()) GTEST_SKIP() << "screenshots are taken when WAYLEAP_SCREENSHOTS is set";
    ASSERT_TRUE(WriteBytes(dataFile, Record("Projects", "C:\\Work\\Projects", true, true) +
                                         Record("Downloads", "C:\\Users\\me\\Downloads", false, false) +
                                         Record("Music", "D:\\Music", true, false)));
    StoreSettings(true, true);
    const std::string chosen = scratch.path() + "Chosen";
    state.chooseFolder = [&](HWND, std::string& path) {
        path = chosen;
        return true;
    };
    static NMITEMACTIVATE doubleClick = {};
    HWND add = nullptr, modify = nullptr;
    RunSheet({Do([&] { Snapshot("config-1-general", sheet); }), ShowPage(kFoldersPage),
              Do([&] { Snapshot("config-2-folders", sheet); }), ShowPage(kAboutPage),
              Do([&] { Snapshot("config-3-about", sheet); }), ShowPage(kFoldersPage),
              ClickOn(kFoldersPage, IDC_ADD_FOLDER), WaitForDialog("Wayleap - Add new folder", add),
              Do([&] { Snapshot("config-4-add-dialog", add); }), PostCommand(add, IDCANCEL), Gone(add),
              Do([&] {
                  FocusRow(List(), 0);
                  doubleClick.hdr.hwndFrom = List();
                  doubleClick.hdr.idFrom = IDC_FOLDER_LIST;
                  doubleClick.hdr.code = NM_DBLCLK;
                  PostMessageA(Folders(), WM_NOTIFY, IDC_FOLDER_LIST, reinterpret_cast<LPARAM>(&doubleClick));
              }),
              WaitForDialog("Wayleap - Modify folder", modify),
              Do([&] { Snapshot("config-5-modify-dialog", modify); }), PostCommand(modify, IDCANCEL), Gone(modify),
              Press(PSBTN_CANCEL), SheetClosed()});
    for (const char* name : {"config-1-general", "config-2-folders", "config-3-about", "config-4-add-dialog",
                             "config-5-modify-dialog"}) {
        EXPECT_TRUE(FileExists(ScreenshotDir() + name + ".bmp")) << name;
    }
}

}  // namespace

// The configuration sheet of Wayleap.exe driven in-process: the real sheet
// and pages from the wayleap_config library, shown modally, with steps on a
// thread timer (window_driver.h) that click, type, answer message boxes and
// press OK, Apply or Cancel. Settings and FolderList.dat live in the test's
// own registry keys and scratch directory.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_driver.h"

namespace wayleap::test {

inline constexpr char kSheetCaption[] = "Wayleap Configuration";
inline constexpr char kErrorCaption[] = "Wayleap - Error";

// Removes both handler keys from the user's and the machine's classes (with
// a "child" subkey a test may have put under them) and HKCU\Software\Wayleap.
void CleanSettings();
// Sets the default value of a handler key (kFolderHandlerKey or
// kBackgroundHandlerKey) in the user's or the machine's (`machine`) classes.
void SetHandlerKey(bool machine, const char* subKey, const std::string& value);
// The default value of a key of the user's or the machine's (`machine`)
// classes, read in the 64-bit view; "<none>" when the key or the value is missing.
std::string ClassesValue(bool machine, const std::string& subKey);
// Stores the settings as a previous run would have: the handler keys naming
// the handler's CLSID when `enabled` (the machine's: as an administrator
// would have), and the menu style.
void StoreSettings(bool enabled, bool submenu, bool machine = false);

// What the registry holds, as one line: the default values of the user's
// Folder and Directory\Background handler keys, the menu style ("0" or "1",
// "<bad>" when not a REG_DWORD) and the machine's two handler keys; "<none>"
// for what is missing.
std::string ReadStoredSettings();
// That line for these values.
std::string Stored(const std::string& folderKey, const std::string& backgroundKey, const std::string& submenu,
                   const std::string& machineFolderKey = "<none>", const std::string& machineBackgroundKey = "<none>");
// The registry after the menu was switched on (or off) for the user, with
// the menu style stored as `submenu`.
std::string SettingsWritten(bool enabled, const char* submenu);
inline const std::string kNothingStored = Stored("<none>", "<none>", "<none>");

// One entry as FolderList.dat stores it: the name line and the data line.
std::string Record(const std::string& name, const std::string& path, bool expand, bool sort);

class ConfigSheetTest : public ::testing::Test {
protected:
    using Step = TimerScript::Step;
    void SetUp() override;
    void TearDown() override { CleanSettings(); }

    // Shows the configuration sheet and runs `steps` inside its modal loop,
    // the first once the sheet exists; the steps must end the sheet within 20 seconds.
    INT_PTR RunSheet(std::vector<Step> steps);
    HWND Page(int page) const { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, page, 0)); }
    HWND Control(int page, int id) const { return GetDlgItem(Page(page), id); }  // page 0 General, 1 Folders, 2 About
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE; }

    Step ShowPage(int page) { return steps::Do([=] { SendMessageA(sheet, PSM_SETCURSEL, page, 0); }); }
    Step Click(int page, int id) { return steps::Do([=] { PostMessageA(Control(page, id), BM_CLICK, 0, 0); }); }
    // PSBTN_OK, PSBTN_APPLYNOW or PSBTN_CANCEL
    Step Press(int button) { return steps::Do([=] { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }); }
    // Checks that the changes made so far have enabled Apply.
    Step ApplyOn() { return steps::Do([this] { EXPECT_TRUE(ApplyEnabled()) << "Apply not enabled by a change"; }); }
    // Waits for the dialog with that caption, types `texts` into its fields,
    // clicks the buttons `clicks` (those enabled) and presses OK.
    static Step Fill(const char* caption, std::vector<std::pair<int, std::string>> texts, std::vector<int> clicks = {});

    ScratchDir scratch;
    std::string dataFile = scratch / "FolderList.dat";
    WideDir chosen{scratch.path(), L"Chosen"};  // what "Add a Folder..." picks unless a test says otherwise
    config::ProgramState state;
    HWND sheet = nullptr;
    std::string told;  // the text of the last message box answered through Tell()
    Step Tell(const char* caption) { return steps::Answer(caption, IDOK, &told); }
};

}  // namespace wayleap::test

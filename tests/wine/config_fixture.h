// The configuration sheet of Wayleap.exe driven in-process, the way Wine's own
// property-sheet tests drive comctl32: the real sheet and pages from the
// wayleap_config library, shown modally, with steps on a thread timer that
// switch pages, click, read list-view rows, answer message boxes and press
// OK, Apply or Cancel. Settings and FolderList.dat live in the test's own
// registry keys and scratch directory.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_driver.h"

namespace wayleap::test {

using Step = TimerScript::Step;

// The sheet's own controls (comctl32's property-sheet template).
inline constexpr int kSheetTabs = 0x3020;
inline constexpr int kSheetApply = 0x3021;

// The pages in tab order.
inline constexpr int kGeneralPage = 0;
inline constexpr int kFoldersPage = 1;
inline constexpr int kAboutPage = 2;

// Captions of the program's windows and message boxes.
inline constexpr char kSheetCaption[] = "Wayleap Configuration";
inline constexpr char kAddDialogCaption[] = "Wayleap - Add new folder";
inline constexpr char kModifyDialogCaption[] = "Wayleap - Modify folder";
inline constexpr char kDeleteCaption[] = "Wayleap - Delete";
inline constexpr char kAddCaption[] = "Wayleap - Add";
inline constexpr char kModifyCaption[] = "Wayleap - Modify";
inline constexpr char kErrorCaption[] = "Wayleap - Error";

// ---------------------------------------------------------------------------
// Settings in the registry

// Removes both shell-extension keys (and a "child" subkey a test may have
// put under them) and HKCU\Software\Wayleap.
void CleanSettings();
// Stores the settings as a previous run would have: the shell keys naming the
// handler's CLSID when `enabled`, and the menu style.
void StoreSettings(bool enabled, bool submenu);

// What the registry holds after a run.
struct StoredSettings {
    std::string folderKey;      // default value of the Folder key; "<none>" when the key is missing
    std::string backgroundKey;  // the same for the Directory\Background key
    std::string submenu;        // "0" or "1" as a REG_DWORD, "<none>" when missing, "<bad>" otherwise
};
StoredSettings ReadStoredSettings();
bool operator==(const StoredSettings& a, const StoredSettings& b);
std::ostream& operator<<(std::ostream& out, const StoredSettings& s);
// The registry after the menu was switched on (or off) with this style.
StoredSettings SettingsWritten(bool enabled, bool submenu);
inline const StoredSettings kNothingStored{"<none>", "<none>", "<none>"};

// ---------------------------------------------------------------------------
// FolderList.dat

// One entry as the file stores it: the name line and the data line.
std::string Record(const std::string& name, const std::string& path, bool expand, bool sort);

// The file's last-write time, and a way to date it back so that a rewrite shows.
FILETIME LastWriteTime(const std::string& path);
void DateBack(const std::string& path);
bool SameTime(const FILETIME& a, const FILETIME& b);

// ---------------------------------------------------------------------------
// The folder list view, read and set as the user sees it

// The four cell texts of a row: name, path, expand, sort.
using Cells = std::vector<std::string>;
std::string CellText(HWND list, int row, int column);
std::vector<Cells> ListRows(HWND list);
std::vector<std::string> ListNames(HWND list);
// Selects exactly these rows.
void SelectRows(HWND list, const std::vector<int>& rows);
std::vector<int> SelectedRows(HWND list);
// Gives the focus mark to `row`, or takes it from every row when `row` is -1.
void FocusRow(HWND list, int row);
// A report-style list view like the Folders page's, with the four columns.
HWND CreateFolderListView(HWND parent);
void AppendRow(HWND list, const Cells& cells);

// ---------------------------------------------------------------------------
// Message boxes and dialogs

// What a message box showed and how it was answered.
struct Answered {
    bool seen = false;
    std::string text;
    HWND owner = nullptr;
    bool hasCancel = false;
};

// A step that waits for the message box with this caption, notes it and
// presses `button` (posted, so the box ends in its own loop).
Step AnswerBox(const char* caption, int button, Answered& seen);
// A step that waits `ticks` timer ticks and notes whether a dialog with this
// caption appeared meanwhile (closing it, so nothing hangs).
Step WatchFor(const char* caption, int ticks, bool& appeared);
// A step that waits for a dialog with this caption and keeps its handle.
Step WaitForDialog(const char* caption, HWND& dialog);
// A step that waits until `window` is gone.
Step Gone(const HWND& window);
// A step that runs `action` once.
Step Do(std::function<void()> action);
// Posts WM_COMMAND `id` to `dialog`, as Enter or Escape would.
Step PostCommand(const HWND& dialog, int id);

// Notes the window of this thread that was last given the keyboard focus
// (WM_SETFOCUS), whatever becomes of the focus later: under Xvfb, without a
// window manager, the X server may hand the foreground to another process's
// window at any moment, and GetFocus then answers null.
class FocusWatch {
public:
    FocusWatch();
    ~FocusWatch();
    FocusWatch(const FocusWatch&) = delete;
    FocusWatch& operator=(const FocusWatch&) = delete;

    HWND last() const { return last_; }
    int lastId() const { return last_ ? GetDlgCtrlID(last_) : 0; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
    HWND last_ = nullptr;
};

// ---------------------------------------------------------------------------
// The sheet

class ConfigSheetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the configuration sheet and runs `steps` inside its modal loop,
    // the first once the sheet exists. Returns PropertySheetA's result; the
    // steps must have ended the sheet.
    INT_PTR RunSheet(std::vector<Step> steps, DWORD timeoutMs = 20000);

    HWND PageAt(int index) const;
    HWND Folders() const { return PageAt(kFoldersPage); }
    HWND List() const { return GetDlgItem(Folders(), IDC_FOLDER_LIST); }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet, kSheetApply)) != FALSE; }

    // Steps on the sheet.
    Step ShowPage(int index);
    Step ClickOn(int page, int id);  // posts BM_CLICK to a control of a page
    Step Press(int button);          // posts PSM_PRESSBUTTON (PSBTN_OK, PSBTN_APPLYNOW, PSBTN_CANCEL)
    Step SheetClosed() { return Gone(sheet); }

    std::string FileBytes() const { return ReadBytes(dataFile); }

    ScratchDir scratch;
    std::string dataFile = scratch / "FolderList.dat";
    config::ProgramState state;
    HWND sheet = nullptr;
};

}  // namespace wayleap::test

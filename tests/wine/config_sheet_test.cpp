// The configuration sheet driven in-process: what the General page writes on
// OK and Apply (and Cancel does not); the Folders page with its Add and Modify
// dialogs, each way the user changes the rows, saved by OK or Apply (or not,
// by Cancel) and checked in FolderList.dat byte for byte; the dialogs'
// refusals and the list that is never saved over, told to the user.
// Export and import of the list, from the page's buttons and from Wayleap.exe's
// command line. Wayleap.exe as the user starts it is run by the installer's
// test, as installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/list_exchange.h"
#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/dpi.h"
#include "win/settings.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

// What OK and Apply write: only what the page changed, for the user alone;
// what could not be done is told and the page shows the settings as they are.
// A key holding a subkey cannot be removed, which stands for what a standard
// user may not remove.
TEST_F(ConfigSheetTest, GeneralPageWritesWhatChangedAndTellsWhatItCouldNot) {
    enum Before { kNothing, kOnDirect, kStuckKey, kForAll };
    const std::string on = kHandlerClsidText;
    const struct {
        const char* what;
        Before stored;
        std::vector<int> clicks;
        int press;  // Apply is followed by Cancel
        std::string after;
        const char* told;  // the start of the message the user is shown
    } cases[] = {
        {"switched on", kNothing, {IDC_ENABLE}, PSBTN_OK, SettingsWritten(true, "<none>"), ""},
        {"switched off by Apply", kOnDirect, {IDC_ENABLE}, PSBTN_APPLYNOW, SettingsWritten(false, "0"), ""},
        {"the direct style", kNothing, {IDC_STYLE_DIRECT}, PSBTN_OK, SettingsWritten(false, "0"), ""},
        {"Cancel", kOnDirect, {IDC_ENABLE, IDC_STYLE_SUBMENU}, PSBTN_CANCEL, SettingsWritten(true, "0"), ""},
        {"switching off that did not happen", kStuckKey, {IDC_ENABLE}, PSBTN_APPLYNOW, Stored(on, "<none>", "1"),
         "Wayleap could not switch the menu on or off"},
        {"switched on for every user", kForAll, {IDC_ENABLE}, PSBTN_APPLYNOW, Stored("<none>", "<none>", "1", on, "<none>"),
         "The Wayleap menu is switched off for you, but an administrator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CleanSettings();
        if (c.stored != kNothing) StoreSettings(true, c.stored != kOnDirect, c.stored == kForAll);
        if (c.stored == kStuckKey || c.stored == kForAll) {
            SetHandlerKey(c.stored == kForAll, (std::string(kFolderHandlerKey) + "\\child").c_str(), "");
        }
        std::vector<Step> steps;
        for (int id : c.clicks) steps.push_back(Click(0, id));
        steps.insert(steps.end(), {ApplyOn(), Press(c.press)});
        if (*c.told) steps.push_back(Tell(kErrorCaption));
        if (c.press == PSBTN_APPLYNOW) {
            steps.push_back(steps::Do([&] {
                EXPECT_EQ(IsDlgButtonChecked(Page(0), IDC_ENABLE) == BST_CHECKED, ReadSettings().enabled) << "as it is";
            }));
            steps.push_back(Press(PSBTN_CANCEL));
        }
        RunSheet(steps);
        EXPECT_EQ(ReadStoredSettings(), c.after);
        EXPECT_EQ(told.substr(0, std::string(c.told).size()), c.told) << told;
    }
}

// The Folders page (page 1) and its dialogs.
constexpr int kFolders = 1;
constexpr DWORD kNotHeld = ~0u;
constexpr char kAddDialog[] = "Wayleap - Add new folder";
constexpr char kModifyDialog[] = "Wayleap - Modify folder";

// Four folders named by one letter, each with its own pair of flags.
std::string FileOf(const std::string& letters) {
    std::string bytes;
    for (char letter : letters) {
        const std::string name(1, letter);
        bytes += Record(name, "C:\\" + name, letter == 'A' || letter == 'C', letter == 'C' || letter == 'D');
    }
    return bytes;
}

class FoldersPage : public ConfigSheetTest {
protected:
    HWND List() const { return Control(kFolders, IDC_FOLDER_LIST); }

    Step Select(std::vector<int> rows) {
        return steps::Do([this, rows] {
            ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
            for (int row : rows) ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED);
        });
    }
    // Renames a row in place; in one step, as the edit ends when it loses the focus.
    Step Rename(int row, const char* name) {
        return steps::Do([this, row, name] {
            SetFocus(List());
            HWND edit = ListView_EditLabel(List(), row);
            SetWindowTextA(edit, name);
            SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        });
    }
    // Double-clicks below the last row with `row` focused (row 0 selected): Modify opens on the focused row.
    Step DoubleClick(int row) {
        return steps::Do([this, row] {
            ListView_SetItemState(List(), 0, LVIS_SELECTED, LVIS_SELECTED);
            ListView_SetItemState(List(), row, LVIS_FOCUSED, LVIS_FOCUSED);
            RECT client = {};
            GetClientRect(List(), &client);
            PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, client.bottom - 5));
        });
    }
    // Answers Delete's question.
    static Step AnswerDelete(int answer) { return steps::Answer("Wayleap - Delete", answer); }
    // Opens FolderList.dat as another program would, with that share mode, or closes it (kNotHeld).
    Step Hold(DWORD share) {
        return steps::Do([this, share] {
            lock.reset(share == kNotHeld ? INVALID_HANDLE_VALUE
                                         : CreateFileA(dataFile.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
        });
    }

    // FolderList.dat holding `before`, the sheet shows the Folders page and
    // runs `steps`: what the file holds once the sheet has ended.
    std::string FileAfter(const std::string& before, std::vector<Step> steps) {
        EXPECT_TRUE(WriteBytes(dataFile, before));
        steps.insert(steps.begin(), ShowPage(kFolders));
        RunSheet(steps);
        return ReadBytes(dataFile);
    }

    unique_file lock;
};

TEST_F(FoldersPage, EachChangeIsSavedByOkOrApplyAndNothingByCancel) {
    const Step ok = Press(PSBTN_OK), apply = Press(PSBTN_APPLYNOW), cancel = Press(PSBTN_CANCEL);
    const Step add = Click(kFolders, IDC_ADD_FOLDER), askDelete = AnswerDelete(IDOK);
    const struct {
        const char* what;
        std::vector<Step> steps;
        std::string after;
    } cases[] = {
        {"Delete two rows, Apply", {Select({1, 3}), Click(kFolders, IDC_DELETE), askDelete, ApplyOn(), apply, cancel}, FileOf("AC")},
        {"Delete answered Cancel",
         {Select({1}), Click(kFolders, IDC_DELETE), AnswerDelete(IDCANCEL), ok}, FileOf("ABCD")},
        {"Up", {Select({1, 3}), Click(kFolders, IDC_UP), ApplyOn(), ok}, FileOf("BADC")},
        {"Down", {Select({0, 2}), Click(kFolders, IDC_DOWN), ApplyOn(), ok}, FileOf("BADC")},
        {"Modify to a path with a variable", {DoubleClick(3), Fill(kModifyDialog, {{IDC_MODIFY_PATH, "%SystemRoot%\\Temp"}}), ok},
         FileOf("ABC") + Record("D", "%SystemRoot%\\Temp", false, true)},
        {"renamed in place, not to blanks", {Rename(1, "Bee"), Rename(2, "  "), ok},
         FileOf("A") + Record("Bee", "C:\\B", false, false) + FileOf("CD")},
        // Modify opens with the row's own flags (C's are both ticked); "\xE9" is
        // a letter code page 1252 holds exactly.
        {"Modify", {DoubleClick(2), Fill(kModifyDialog, {{IDC_MODIFY_NAME, " Caf\xE9 "}, {IDC_MODIFY_PATH, "\tD:\\Caf\xE9 "}}, {IDC_MODIFY_EXPAND}), ok},
         FileOf("AB") + Record("Caf\xE9", "D:\\Caf\xE9", false, true) + FileOf("D")},
        {"Add a Folder..., Apply", {add, Fill(kAddDialog, {{IDC_ADD_NAME, " Chosen "}}, {IDC_ADD_EXPAND, IDC_ADD_SORT}), apply, cancel},
         FileOf("ABCD") + Record("Chosen", scratch / "Chosen", true, true)},
        {"Cancel", {Select({0, 1, 2, 3}), Click(kFolders, IDC_DELETE), askDelete, Rename(0, "X"), add, Fill(kAddDialog, {}), cancel},
         FileOf("ABCD")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FileAfter(FileOf("ABCD"), c.steps), c.after);
    }
}

// Another program (the add dialog in Explorer) changes the file while the
// page shows it. OK without changes saves nothing, so its change stays; with
// changes the user is asked: Yes shows the changed list and keeps it, No
// saves the rows over it, Cancel saves nothing.
TEST_F(FoldersPage, AnotherProgramsChangeIsNeverOverwrittenUnasked) {
    const std::string theirs = FileOf("ABCD") + Record("Theirs", "C:\\Theirs", false, false);
    const Step changeFile = steps::Do([&] { WriteBytes(dataFile, theirs); });
    const struct {
        const char* what;
        int answer;  // 0: not asked
        std::string after;
    } cases[] = {{"OK without changes", 0, theirs}, {"Yes", IDYES, theirs}, {"No", IDNO, FileOf("BCD")},
                 {"Cancel", IDCANCEL, theirs}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Step> steps;
        if (c.answer) steps.insert(steps.end(), {Select({0}), Click(kFolders, IDC_DELETE), AnswerDelete(IDOK)});
        steps.insert(steps.end(), {changeFile, Press(PSBTN_OK)});
        if (c.answer) steps.push_back(steps::Answer(kSheetCaption, c.answer, &told));
        if (c.answer == IDYES) {
            steps.push_back(steps::Do([&] { EXPECT_EQ(ListView_GetItemCount(List()), 5) << "the changed list shown"; }));
        }
        if (c.answer == IDYES || c.answer == IDCANCEL) steps.push_back(Press(PSBTN_CANCEL));  // still open
        EXPECT_EQ(FileAfter(FileOf("ABCD"), steps), c.after);
        if (c.answer) {
            EXPECT_EQ(told.substr(0, 40), "Another program changed your folder list");
        }
    }
}

constexpr char kNameNotHeld[] =
    "The name has characters that the Windows language for non-Unicode programs can not hold, and your folder list "
    "(FolderList.dat) is kept in that language. Please type another name.";
constexpr char kPathNotHeld[] =
    "Wayleap can not store this path: it has characters that the Windows language for non-Unicode programs can not "
    "hold, and your folder list (FolderList.dat) is kept in that language. Choose or type another folder.";

// Texts typed or pasted in UTF-16: also what the code page holds only as "?"
// or a look-alike (U+0101 is "a" at best in code page 1252).
TEST_F(FoldersPage, DialogsRefuseWhatTheFileCannotHoldAndTellWhy) {
    const struct {
        const char* dialog;
        const wchar_t* text;
        int field;
        const char* told;
    } cases[] = {
        {kModifyDialog, L" \t", IDC_MODIFY_NAME, "The name field can not be empty."},
        {kModifyDialog, L"C:\\B|1", IDC_MODIFY_PATH, "The path can not contain a line break or the character |."},
        {kModifyDialog, L"\x65E5\x672C", IDC_MODIFY_NAME, kNameNotHeld},
        {kModifyDialog, L"C:\\Caf\x0101", IDC_MODIFY_PATH, kPathNotHeld},
        {kModifyDialog, L"%WAYLEAP_UNDEFINED%\\x", IDC_MODIFY_PATH,
         "The path names environment variables that lead to no folder on this computer: a variable that is not "
         "defined here, a value that is empty or no full path, or a path too long. Type a path whose variables lead "
         "to a folder, such as %USERPROFILE%\\Documents."},
        {kAddDialog, L"  ", IDC_ADD_NAME, "The name field can not be empty."},
        {kAddDialog, L"Caf\x0101", IDC_ADD_NAME, kNameNotHeld},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        const bool modify = c.dialog == kModifyDialog;
        const Step type = [&] {
            HWND dialog = FindThreadDialog(c.dialog);
            return dialog && SetDlgItemTextW(dialog, c.field, c.text) && PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(FileAfter(FileOf("ABCD"), {modify ? DoubleClick(1) : Click(kFolders, IDC_ADD_FOLDER), type,
                                             Tell(modify ? "Wayleap - Modify" : "Wayleap - Add"),
                                             steps::Answer(c.dialog, IDCANCEL), Press(PSBTN_OK)}),
                  FileOf("ABCD"));
        EXPECT_EQ(told, c.told);
    }
}

// A folder picked in the browser whose path the code page holds only as "?"
// or a look-alike is not offered for adding: the user is told, no row is added.
TEST_F(FoldersPage, AFolderWhosePathTheCodePageCannotHoldIsNotAdded) {
    const WideDir folder(scratch.path(), L"Caf\x0101");
    state.chooseFolder = [&](HWND) { return ILCreateFromPathW(folder.path.c_str()); };
    EXPECT_EQ(FileAfter(FileOf("ABCD"), {Click(kFolders, IDC_ADD_FOLDER), Tell(kErrorCaption),
                                         steps::Do([this] { EXPECT_FALSE(ApplyEnabled()) << "nothing changed"; }),
                                         Press(PSBTN_OK)}),
              FileOf("ABCD"));
    EXPECT_EQ(told, kPathNotHeld);
}

TEST_F(FoldersPage, AListNotReadWholeIsNeverSavedOverAndAFailedSaveIsTold) {
    const std::string longLine = FileOf("A") + std::string(300, 'x') + "\nC:\\X|0|0\n" + FileOf("B");
    const std::string added = Record("Chosen", scratch / "Chosen", false, false);
    const struct {
        const char* what;
        std::string bytes;
        DWORD heldWhileLoading, heldWhileSaving;  // share modes of another program's handle
        const char* told;                         // the start of the message
        std::string after;                        // once the other program has closed the file, by Apply and OK
    } cases[] = {
        {"a line over the limit", longLine, kNotHeld, kNotHeld, "Wayleap could not read your folder list", longLine},
        {"held open while loading", FileOf("AB"), 0, kNotHeld, "Wayleap could not read your folder list", FileOf("AB")},
        {"held open while saving", FileOf("AB"), kNotHeld, FILE_SHARE_READ, "Wayleap could not save your folder list", FileOf("AB") + added},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, c.bytes));
        RunSheet({Hold(c.heldWhileLoading), ShowPage(kFolders), Hold(kNotHeld), Click(kFolders, IDC_ADD_FOLDER),
                  Fill(kAddDialog, {{IDC_ADD_NAME, "Chosen"}}), Hold(c.heldWhileSaving), Press(PSBTN_APPLYNOW),
                  Tell(kErrorCaption), steps::Do([&] {
                      EXPECT_TRUE(ApplyEnabled()) << "changes not saved are not claimed as saved";
                      EXPECT_EQ(ReadBytes(dataFile), c.bytes);
                  }),
                  Hold(kNotHeld), Press(PSBTN_APPLYNOW), Press(PSBTN_OK)});
        EXPECT_EQ(told.substr(0, std::string(c.told).size()), c.told) << told;
        EXPECT_EQ(ReadBytes(dataFile), c.after);
    }
}

// A row's tooltip tells where a path with variables leads here.
TEST_F(FoldersPage, ARowTellsWhereItsVariablesLead) {
    char expanded[MAX_PATH] = {}, tip[300] = {};
    ExpandEnvironmentStringsA("%SystemRoot%\\Temp", expanded, MAX_PATH);
    const auto tipOf = [&](int row) {
        NMLVGETINFOTIPA request = {{List(), IDC_FOLDER_LIST, LVN_GETINFOTIPA}, 0, tip, sizeof tip, row, 0, 0};
        tip[0] = '\0';
        SendMessageA(Page(kFolders), WM_NOTIFY, IDC_FOLDER_LIST, reinterpret_cast<LPARAM>(&request));
        return std::string(tip);
    };
    FileAfter(FileOf("A") + Record("T", "%SystemRoot%\\Temp", 0, 0) + Record("U", "%WAYLEAP_UNDEFINED%", 0, 0),
              {steps::Do([&] {
                   EXPECT_EQ(tipOf(0), "");
                   EXPECT_EQ(tipOf(1), std::string("Here: ") + expanded);
                   EXPECT_EQ(tipOf(2), "Leads to no folder on this computer");
               }),
               Press(PSBTN_CANCEL)});
}

// Export writes the rows as they stand; a whole, valid file replaces the rows
// or adds those whose path no row has, and Apply or OK saves it; any other
// file is refused with the reason, and nothing changes.
TEST_F(FoldersPage, ExportAndImportThroughTheButtons) {
    std::wstring picked;
    state.chooseListFile = [&](HWND, bool) { return picked; };
    const std::string accented = scratch / "\xE9t\xE9", big = FileOf("A") + std::string(70000, '\n');
    CreateDirectoryA(accented.c_str(), nullptr);
    const Step exportIt = Click(kFolders, IDC_EXPORT), importIt = Click(kFolders, IDC_IMPORT);
    const auto answer = [](int button) { return steps::Answer("Wayleap - Import", button); };
    const struct {
        const char* what;
        std::string file, bytes;  // the file chosen and what it holds before
        std::vector<Step> steps;
        std::string after, fileAfter;  // FolderList.dat and the chosen file once the sheet has ended
        const char* told;              // a part of the message the user is told, if any
    } cases[] = {
        {"Export the rows as they stand", accented + "\\out.dat", "", {Select({1}), Click(kFolders, IDC_DELETE),
         AnswerDelete(IDOK), exportIt, Press(PSBTN_CANCEL)}, FileOf("ABCD"), FileOf("ACD"), ""},
        {"Export where no folder is", scratch / "none\\out.dat", "", {exportIt, Tell(kErrorCaption), Press(PSBTN_OK)},
         FileOf("ABCD"), "", "could not write the list to"},
        {"Replace", scratch / "in.dat", "X\r\nC:\\X|1|1\r\n", {importIt, answer(IDC_IMPORT_REPLACE), ApplyOn(),
         Press(PSBTN_OK)}, Record("X", "C:\\X", true, true), "X\r\nC:\\X|1|1\r\n", ""},
        {"Add the new ones", scratch / "in.dat", Record("B2", "C:\\B", 0, 0) + Record("X", "C:\\X", 0, 0),
         {importIt, answer(IDC_IMPORT_APPEND), Tell("Wayleap - Import"), Press(PSBTN_OK)},
         FileOf("ABCD") + Record("X", "C:\\X", 0, 0), Record("B2", "C:\\B", 0, 0) + Record("X", "C:\\X", 0, 0),
         "1 folders were added. 1 were in the list already"},
        {"Cancel", scratch / "in.dat", FileOf("X"), {importIt, answer(IDCANCEL), Press(PSBTN_OK)}, FileOf("ABCD"),
         FileOf("X"), ""},
        {"a line without \"|\"", scratch / "in.dat", "A\nC:\\A|0|0\nB\nC:\\B\n", {importIt, Tell(kErrorCaption),
         Press(PSBTN_OK)}, FileOf("ABCD"), "A\nC:\\A|0|0\nB\nC:\\B\n", "line 4 should be a folder's path"},
        {"binary", scratch / "in.dat", std::string("\x89PNG\r\n\x1A\n\0\0", 10), {importIt, Tell(kErrorCaption),
         Press(PSBTN_OK)}, FileOf("ABCD"), std::string("\x89PNG\r\n\x1A\n\0\0", 10), "line 2 holds characters"},
        {"empty", scratch / "in.dat", "", {importIt, Tell(kErrorCaption), Press(PSBTN_OK)}, FileOf("ABCD"), "",
         "holds no folders"},
        {"over 64 KiB", scratch / "in.dat", big, {importIt, Tell(kErrorCaption), Press(PSBTN_OK)}, FileOf("ABCD"), big,
         "larger than a folder list can be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(c.file.c_str());
        if (c.file.find("in.dat") != std::string::npos) {
            ASSERT_TRUE(WriteBytes(c.file, c.bytes));
        }
        picked = AnsiToWide(c.file);
        told.clear();
        EXPECT_EQ(FileAfter(FileOf("ABCD"), c.steps), c.after);
        EXPECT_EQ(ReadBytes(c.file), c.fileAfter);
        EXPECT_NE(told.find(c.told), std::string::npos) << told;
    }
}

std::u16string AnsiToU16(const std::string& ansi) { return std::u16string(ansi.begin(), ansi.end()); }  // ASCII paths

// Wayleap.exe /export FILE, /import FILE [/append]: nothing shown, an exit
// code and one line; a list file that is not read whole, or in use, is never
// saved over.
TEST(ProgramCommand, ExportAndImportForScripts) {
    config::UseResourceModule(GetModuleHandleW(nullptr));
    ScratchDir dir;
    const std::string data = dir / "FolderList.dat", in = dir / "in.dat", out = dir / "out.dat";
    const std::string list = Record("A", "C:\\A", 1, 0) + Record("B", "C:\\B", 0, 1);
    const std::string partial = list + std::string(300, 'x') + "\n", file = Record("X", "C:\\X", 0, 0) + Record("A", "C:\\A", 0, 0);
    const struct {
        std::vector<std::u16string> args;
        std::string before;  // FolderList.dat
        DWORD held;          // share mode of another program's handle on it, or ~0u
        int code;
        std::string after;
    } cases[] = {
        {{u"/export", u"out.dat"}, list, ~0u, 0, list},
        {{u"/export", u"none\\out.dat"}, list, ~0u, 1, list},
        {{u"/export", u"out.dat"}, partial, ~0u, 1, partial},
        {{u"/import", u"in.dat"}, list, ~0u, 0, file},
        {{u"/import", u"in.dat", u"/append"}, list, ~0u, 0, list + Record("X", "C:\\X", 0, 0)},
        {{u"/import", u"in.dat"}, partial, ~0u, 1, partial},
        {{u"/import", u"in.dat"}, list, FILE_SHARE_READ, 1, list},
        {{u"/import", u"out.dat"}, list, ~0u, 1, list},  // no such file: nothing exported before
        {{u"/import"}, list, ~0u, 2, list},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args.size()) + std::string(c.args[0].begin(), c.args[0].end()));
        ASSERT_TRUE(WriteBytes(data, c.before) && WriteBytes(in, file));
        DeleteFileA(out.c_str());
        std::vector<std::u16string> args = c.args;
        if (args.size() > 1) args[1] = AnsiToU16(dir.path()) + args[1];
        unique_file other(c.held == ~0u ? INVALID_HANDLE_VALUE
                                        : CreateFileA(data.c_str(), GENERIC_READ, c.held, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(config::RunProgramCommand(ParseProgramArguments(args), data), c.code);
        other.reset();
        EXPECT_EQ(ReadBytes(data), c.after);
        EXPECT_EQ(ReadBytes(out), c.code == 0 && c.args[0] == u"/export" ? list : "");
    }
    {  // a file to import that another program holds open is refused, not waited for
        const unique_file holder(CreateFileA(in.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(config::RunProgramCommand(ParseProgramArguments({u"/import", AnsiToU16(in)}), data), 1);
        EXPECT_EQ(ReadBytes(data), list);
    }
    // The program itself: its exit code, and the line on its standard output.
    const std::string program = dir / "Wayleap.exe", said = dir / "said.txt";
    ASSERT_TRUE(CopyFileA(WinePath(WAYLEAP_EXE).c_str(), program.c_str(), FALSE) && WriteBytes(data, list));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    unique_file output(CreateFileA(said.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + program + "\" /export \"" + out + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(process.hThread);
    EXPECT_EQ(ExitCodeOf(process.hProcess, 30000), 0);
    CloseHandle(process.hProcess);
    output.reset();
    EXPECT_EQ(ReadBytes(said), "Exported 2 folders to " + out + ".\r\n");
    EXPECT_EQ(ReadBytes(out), list);
}

// At every scale the Folders page shows each column header whole and its
// columns fill the list exactly, so nothing scrolls sideways; the About
// page's picture, version and links stand on one left edge, as one block
// centred from top to bottom. Moved to a monitor of another scale, the sheet
// takes the place Windows suggests, the columns fit again, and no edit is lost.
TEST_F(FoldersPage, PagesFitTheirScale) {
    ExpectScaleOfThisRun();
    const auto inPage = [this](int id) {
        RECT r = {};
        GetWindowRect(Control(2, id), &r);
        MapWindowPoints(nullptr, Page(2), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const Step columnsFit = steps::Do([&] {
        RECT client = {};
        GetClientRect(List(), &client);
        int total = 0;
        for (int i = 0; i < 4; ++i) {
            char text[64] = {};
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(List(), LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
            const int width = static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
            EXPECT_GE(width, SendMessageA(List(), LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)) + 12) << text;
            total += width;
        }
        EXPECT_EQ(total, client.right) << "the columns fill the list";
    });
    const std::string after = FileAfter(FileOf("ABCD"), {
        columnsFit, Rename(0, "Aa"), ShowPage(2),
        steps::Do([&] {
            RECT page = {}, unit = {0, 0, 1, 1};
            GetClientRect(Page(2), &page);
            MapDialogRect(Page(2), &unit);
            const RECT icon = inPage(IDC_ABOUT_ICON), last = inPage(IDC_MAIL_LINK);
            for (int id : {IDC_ABOUT_VERSION, IDC_WEB_LINK, IDC_MAIL_LINK}) EXPECT_EQ(inPage(id).left, icon.left) << id;
            EXPECT_NEAR(icon.top, page.bottom - last.bottom, unit.bottom + 1) << "centred from top to bottom";
            RECT suggested = {30, 40, 30 + 600, 40 + 500}, now = {};
            SendMessageA(sheet, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(sheet, &now);
            EXPECT_TRUE(EqualRect(&now, &suggested)) << now.left << "," << now.top << " " << now.right << "," << now.bottom;
            SendMessageA(Page(kFolders), WM_DPICHANGED_AFTERPARENT, 0, 0);
        }),
        ShowPage(kFolders), columnsFit, Press(PSBTN_OK)});
    EXPECT_EQ(after, Record("Aa", "C:\\A", true, false) + FileOf("BCD"));
}

}  // namespace

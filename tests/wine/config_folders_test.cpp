// The Folders page of the configuration sheet: the rows it shows, Delete,
// Up and Down, renaming in place, Modify on a double-click, Add a Folder...
// with the folder choice injected, and what it does when FolderList.dat was
// not read whole or cannot be saved. Each case ends with OK or Cancel and
// checks FolderList.dat byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <map>
#include <string>
#include <vector>

#include "tests/wine/config_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const char kListNotRead[] =
    "Wayleap could not read your folder list (FolderList.dat) completely, so it will not save over it and your "
    "changes to the folders are not saved. Close programs that may be using the file, then start Wayleap again.";
const char kSaveFailed[] =
    "Wayleap could not save your folder list (FolderList.dat); the file is unchanged. Close programs that may be "
    "using it and press Apply again.";
const char kListFull[] =
    "Your folder list is too large for FolderList.dat. Remove some folders and press Apply again.";

struct Folder {
    std::string name, path;
    bool expand, sort;
};

// Four folders, each with its own pair of flags, named by one letter.
const std::map<char, Folder> kFolders = {
    {'A', {"A", "C:\\Folders\\A", true, false}},
    {'B', {"B", "C:\\Folders\\B", false, false}},
    {'C', {"C", "D:\\Folder C", true, true}},
    {'D', {"D", "E:\\D", false, true}},
};

std::string FileOf(const std::string& letters) {
    std::string bytes;
    for (char letter : letters) {
        const Folder& f = kFolders.at(letter);
        bytes += Record(f.name, f.path, f.expand, f.sort);
    }
    return bytes;
}

Cells RowOf(const Folder& f) { return {f.name, f.path, f.expand ? "Yes" : "No", f.sort ? "Yes" : "No"}; }

std::vector<Cells> RowsOf(const std::string& letters) {
    std::vector<Cells> rows;
    for (char letter : letters) rows.push_back(RowOf(kFolders.at(letter)));
    return rows;
}

std::string Letters(const std::vector<std::string>& names) {
    std::string letters;
    for (const std::string& name : names) letters += name.size() == 1 ? name : "?";
    return letters;
}

class FoldersPage : public ConfigSheetTest {
protected:
    void SetUp() override {
        ConfigSheetTest::SetUp();
        ASSERT_TRUE(WriteBytes(dataFile, FileOf("ABCD")));
    }

    // Steps that add `path` through "Add a Folder..." and press Add at once.
    std::vector<Step> AddThroughTheDialog(const std::string& path) {
        state.chooseFolder = [path](HWND, std::string& chosen) {
            chosen = path;
            return true;
        };
        return {ClickOn(kFoldersPage, IDC_ADD_FOLDER), WaitForDialog(kAddDialogCaption, addDialog),
                PostCommand(addDialog, IDOK), Gone(addDialog)};
    }
    static void Append(std::vector<Step>& steps, std::vector<Step> more) {
        for (Step& step : more) steps.push_back(std::move(step));
    }

    HWND addDialog = nullptr;
};

// ---------------------------------------------------------------------------
// The rows

TEST_F(FoldersPage, ShowsEachEntryAsARowOfFourTexts) {
    std::vector<Cells> rows;
    std::vector<std::string> titles;
    std::vector<int> widths;
    int clientWidth = 0;
    LRESULT extended = 0;
    bool applyEnabled = true;
    RunSheet({ShowPage(kFoldersPage), Do([&] {
                  rows = ListRows(List());
                  for (int i = 0; i < 4; ++i) {
                      char title[64] = {};
                      LVCOLUMNA column = {};
                      column.mask = LVCF_TEXT | LVCF_WIDTH;
                      column.pszText = title;
                      column.cchTextMax = sizeof title;
                      SendMessageA(List(), LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
                      titles.push_back(title);
                      widths.push_back(column.cx);
                  }
                  RECT client = {};
                  GetClientRect(List(), &client);
                  clientWidth = client.right;
                  extended = SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
                  applyEnabled = ApplyEnabled();
              }),
              Press(PSBTN_CANCEL), SheetClosed()});

    EXPECT_EQ(rows, RowsOf("ABCD"));
    EXPECT_EQ(titles, (std::vector<std::string>{"Name", "Path", "Expand", "Sort"}));
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths[0], 80);
    EXPECT_EQ(widths[0] + widths[1] + widths[2] + widths[3], clientWidth) << "the columns fill the list";
    EXPECT_EQ(widths[2], 48);
    EXPECT_EQ(widths[3], 35);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    EXPECT_FALSE(applyEnabled) << "loading changes nothing";
}

TEST_F(FoldersPage, ShowsTheFileAgainWhenTheSheetIsShownAgain) {
    std::vector<std::string> first, second;
    RunSheet({ShowPage(kFoldersPage), Do([&] { first = ListNames(List()); }), Press(PSBTN_CANCEL), SheetClosed()});
    ASSERT_TRUE(WriteBytes(dataFile, FileOf("DC")));
    RunSheet({ShowPage(kFoldersPage), Do([&] { second = ListNames(List()); }), Press(PSBTN_OK), SheetClosed()});
    EXPECT_EQ(Letters(first), "ABCD");
    EXPECT_EQ(Letters(second), "DC") << "the rows of the earlier run are gone";
    EXPECT_EQ(FileBytes(), FileOf("DC"));
}

// ---------------------------------------------------------------------------
// Delete

TEST_F(FoldersPage, DeleteAsksAndRemovesTheSelectedRows) {
    const struct {
        const char* what;
        std::vector<int> selected;
        const char* question;  // null: nothing is asked
        int answer;
        const char* left;
        bool applyEnabled;
    } cases[] = {
        {"nothing selected", {}, nullptr, 0, "ABCD", false},
        {"one row", {1}, "Do you want to delete the item?", IDOK, "ACD", true},
        {"one row, cancelled", {1}, "Do you want to delete the item?", IDCANCEL, "ABCD", false},
        {"three rows", {0, 2, 3}, "Do you want to delete these 3 items?", IDOK, "B", true},
        {"three rows, cancelled", {0, 2, 3}, "Do you want to delete these 3 items?", IDCANCEL, "ABCD", false},
        {"every row", {0, 1, 2, 3}, "Do you want to delete these 4 items?", IDOK, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, FileOf("ABCD")));
        Answered asked;
        bool askedAnyway = false;
        std::string left;
        bool applyEnabled = false;
        std::vector<Step> steps = {ShowPage(kFoldersPage), Do([&] { SelectRows(List(), c.selected); }),
                                   ClickOn(kFoldersPage, IDC_DELETE)};
        steps.push_back(c.question ? AnswerBox(kDeleteCaption, c.answer, asked)
                                   : WatchFor(kDeleteCaption, 5, askedAnyway));
        Append(steps, {Do([&] {
                           left = Letters(ListNames(List()));
                           applyEnabled = ApplyEnabled();
                       }),
                       Press(PSBTN_OK), SheetClosed()});
        RunSheet(steps);

        if (c.question) {
            EXPECT_TRUE(asked.seen);
            EXPECT_EQ(asked.text, c.question);
            EXPECT_TRUE(asked.hasCancel) << "OK and Cancel";
            EXPECT_EQ(asked.owner, sheet);
        } else {
            EXPECT_FALSE(askedAnyway);
        }
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(applyEnabled, c.applyEnabled);
        EXPECT_EQ(FileBytes(), FileOf(c.left));
    }
}

// ---------------------------------------------------------------------------
// Up and Down

TEST_F(FoldersPage, UpAndDownMoveEachSelectedRowPastItsUnselectedNeighbour) {
    const struct {
        const char* what;
        int button;
        std::vector<int> selected;
        const char* order;
        std::vector<int> selectedAfter;
        bool applyEnabled;
    } cases[] = {
        {"Up: B and D", IDC_UP, {1, 3}, "BADC", {0, 2}, true},
        {"Up: A and C", IDC_UP, {0, 2}, "ACBD", {0, 1}, true},
        {"Up: the last two", IDC_UP, {2, 3}, "ACDB", {1, 2}, true},
        {"Up: the first row only", IDC_UP, {0}, "ABCD", {0}, false},
        {"Up: a block at the top", IDC_UP, {0, 1}, "ABCD", {0, 1}, false},
        {"Up: nothing selected", IDC_UP, {}, "ABCD", {}, false},
        {"Down: A and C", IDC_DOWN, {0, 2}, "BADC", {1, 3}, true},
        {"Down: B and D", IDC_DOWN, {1, 3}, "ACBD", {2, 3}, true},
        {"Down: the last row only", IDC_DOWN, {3}, "ABCD", {3}, false},
        {"Down: a block at the bottom", IDC_DOWN, {2, 3}, "ABCD", {2, 3}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, FileOf("ABCD")));
        std::string order;
        std::vector<Cells> rows;
        std::vector<int> selectedAfter;
        int focusedAfter = -2;
        bool applyEnabled = false;
        RunSheet({ShowPage(kFoldersPage), Do([&] {
                      SelectRows(List(), c.selected);
                      FocusRow(List(), 1);
                  }),
                  ClickOn(kFoldersPage, c.button), Do([&] {
                      rows = ListRows(List());
                      order = Letters(ListNames(List()));
                      selectedAfter = SelectedRows(List());
                      focusedAfter = static_cast<int>(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                                   LVNI_FOCUSED));
                      applyEnabled = ApplyEnabled();
                  }),
                  Press(PSBTN_OK), SheetClosed()});

        EXPECT_EQ(order, c.order);
        EXPECT_EQ(rows, RowsOf(c.order)) << "every cell moves with its row";
        EXPECT_EQ(selectedAfter, c.selectedAfter) << "the selection moves with the rows";
        EXPECT_EQ(focusedAfter, 1) << "the focus stays";
        EXPECT_EQ(applyEnabled, c.applyEnabled);
        EXPECT_EQ(FileBytes(), FileOf(c.order));
    }
}

// ---------------------------------------------------------------------------
// Renaming in place

TEST_F(FoldersPage, RenamingInPlaceTakesAnyNameThatIsNotBlank) {
    const struct {
        const char* what;
        const char* typed;
        WPARAM key;  // ends the edit: Enter keeps, Escape cancels
        const char* name;
    } cases[] = {
        {"a new name", "Renamed", VK_RETURN, "Renamed"},
        {"surrounding blanks kept as typed", "  Padded\t", VK_RETURN, "  Padded\t"},
        {"empty", "", VK_RETURN, "B"},
        {"blanks only", " \t  ", VK_RETURN, "B"},
        {"cancelled", "Never", VK_ESCAPE, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, FileOf("ABCD")));
        std::string name;
        bool applyEnabled = true;
        RunSheet({ShowPage(kFoldersPage),
                  // In one step: the edit ends as soon as it loses the focus,
                  // which the X server may take away between two steps.
                  Do([&] {
                      SetFocus(List());
                      HWND edit = reinterpret_cast<HWND>(SendMessageA(List(), LVM_EDITLABELA, 1, 0));
                      ASSERT_NE(edit, nullptr) << "no label edit";
                      SetWindowTextA(edit, c.typed);
                      SendMessageA(edit, WM_KEYDOWN, c.key, 0);
                  }),
                  Do([&] {
                      name = CellText(List(), 1, 0);
                      applyEnabled = ApplyEnabled();
                  }),
                  Press(PSBTN_OK), SheetClosed()});

        EXPECT_EQ(name, c.name);
        EXPECT_FALSE(applyEnabled) << "a rename alone does not enable Apply";
        const Folder& b = kFolders.at('B');
        EXPECT_EQ(FileBytes(), FileOf("A") + Record(c.name, b.path, b.expand, b.sort) + FileOf("CD"))
            << "OK saves the name";
    }
}

// ---------------------------------------------------------------------------
// Modify on a double-click

TEST_F(FoldersPage, DoubleClickOpensModifyForTheFocusedRow) {
    const struct {
        const char* what;
        int focused;           // -1: no row has the focus
        const char* newName;   // typed into Modify; null: left as it is
        int answer;
        const char* rowName;   // row 2's name afterwards
        bool applyEnabled;
    } cases[] = {
        {"OK with a new name", 2, "Renamed C", IDOK, "Renamed C", true},
        {"OK without a change", 2, nullptr, IDOK, "C", true},
        {"Cancel", 2, "Never", IDCANCEL, "C", false},
        {"no focused row", -1, nullptr, 0, "C", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, FileOf("ABCD")));
        HWND modify = nullptr;
        bool opened = false;
        std::string shownName;
        std::string rowName;
        bool applyEnabled = false;
        std::vector<Step> steps = {ShowPage(kFoldersPage), Do([&] {
                                       SelectRows(List(), {0});
                                       FocusRow(List(), c.focused);
                                       // Below the last row, where no row is hit.
                                       RECT client = {};
                                       GetClientRect(List(), &client);
                                       PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                                                    MAKELPARAM(10, client.bottom - 5));
                                   })};
        if (c.focused >= 0) {
            Append(steps, {WaitForDialog(kModifyDialogCaption, modify), Do([&] {
                               opened = true;
                               shownName = TextOf(GetDlgItem(modify, IDC_MODIFY_NAME));
                               if (c.newName) SetDlgItemTextA(modify, IDC_MODIFY_NAME, c.newName);
                           }),
                           PostCommand(modify, c.answer), Gone(modify)});
        } else {
            steps.push_back(WatchFor(kModifyDialogCaption, 5, opened));
        }
        Append(steps, {Do([&] {
                           rowName = CellText(List(), 2, 0);
                           applyEnabled = ApplyEnabled();
                       }),
                       Press(PSBTN_CANCEL), SheetClosed()});
        RunSheet(steps);

        EXPECT_EQ(opened, c.focused >= 0);
        if (c.focused >= 0) {
            EXPECT_EQ(shownName, "C") << "the focused row, not the selected one";
        }
        EXPECT_EQ(rowName, c.rowName);
        EXPECT_EQ(applyEnabled, c.applyEnabled);
    }
}

TEST_F(FoldersPage, ModifiedRowIsSavedOnOk) {
    HWND modify = nullptr;
    RunSheet({ShowPage(kFoldersPage), Do([&] {
                  FocusRow(List(), 3);
                  PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
              }),
              WaitForDialog(kModifyDialogCaption, modify), Do([&] {
                  SetDlgItemTextA(modify, IDC_MODIFY_NAME, " Delta ");
                  SetDlgItemTextA(modify, IDC_MODIFY_PATH, "F:\\Delta");
                  SendDlgItemMessageA(modify, IDC_MODIFY_EXPAND, BM_CLICK, 0, 0);
              }),
              PostCommand(modify, IDOK), Gone(modify), Press(PSBTN_OK), SheetClosed()});
    EXPECT_EQ(FileBytes(), FileOf("ABC") + Record("Delta", "F:\\Delta", true, true));
}

// ---------------------------------------------------------------------------
// Add a Folder...

TEST_F(FoldersPage, AddAFolderAppendsTheChosenFolderAsNamed) {
    const std::string path = "C:\\Chosen Folder";
    HWND chooserOwner = nullptr;
    int choices = 0;
    state.chooseFolder = [&](HWND owner, std::string& chosen) {
        ++choices;
        chooserOwner = owner;
        chosen = path;
        return true;
    };
    HWND add = nullptr;
    HWND page = nullptr;
    std::string proposed;
    std::vector<Cells> rows;
    bool applyEnabled = false;
    RunSheet({ShowPage(kFoldersPage), Do([&] { page = Folders(); }), ClickOn(kFoldersPage, IDC_ADD_FOLDER),
              WaitForDialog(kAddDialogCaption, add),
              Do([&] {
                  proposed = TextOf(GetDlgItem(add, IDC_ADD_NAME));
                  SetDlgItemTextA(add, IDC_ADD_NAME, "  Chosen  ");
                  SendDlgItemMessageA(add, IDC_ADD_EXPAND, BM_CLICK, 0, 0);
                  SendDlgItemMessageA(add, IDC_ADD_SORT, BM_CLICK, 0, 0);
              }),
              PostCommand(add, IDOK), Gone(add), Do([&] {
                  rows = ListRows(List());
                  applyEnabled = ApplyEnabled();
              }),
              Press(PSBTN_OK), SheetClosed()});

    EXPECT_EQ(choices, 1);
    EXPECT_EQ(chooserOwner, page) << "the choice is made over the Folders page";
    EXPECT_EQ(proposed, path);
    std::vector<Cells> expected = RowsOf("ABCD");
    expected.push_back({"Chosen", path, "Yes", "Yes"});
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(applyEnabled);
    EXPECT_EQ(FileBytes(), FileOf("ABCD") + Record("Chosen", path, true, true));
}

TEST_F(FoldersPage, AddAFolderNotCarriedThroughChangesNothing) {
    const struct {
        const char* what;
        bool chosen;
        const char* path;
        bool dialogShown;  // then cancelled
    } cases[] = {
        {"no folder chosen", false, "C:\\Ignored", false},
        {"an empty path", true, "", false},
        {"the Add dialog cancelled", true, "C:\\Chosen", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state.chooseFolder = [&c](HWND, std::string& chosen) {
            chosen = c.path;
            return c.chosen;
        };
        HWND add = nullptr;
        bool shown = false;
        std::string order;
        bool applyEnabled = true;
        std::vector<Step> steps = {ShowPage(kFoldersPage), ClickOn(kFoldersPage, IDC_ADD_FOLDER)};
        if (c.dialogShown) {
            Append(steps, {WaitForDialog(kAddDialogCaption, add), Do([&] { shown = true; }), PostCommand(add, IDCANCEL),
                           Gone(add)});
        } else {
            steps.push_back(WatchFor(kAddDialogCaption, 5, shown));
        }
        Append(steps, {Do([&] {
                           order = Letters(ListNames(List()));
                           applyEnabled = ApplyEnabled();
                       }),
                       Press(PSBTN_CANCEL), SheetClosed()});
        RunSheet(steps);
        EXPECT_EQ(shown, c.dialogShown);
        EXPECT_EQ(order, "ABCD");
        EXPECT_FALSE(applyEnabled);
    }
}

// ---------------------------------------------------------------------------
// A list that was not read whole is never saved over

TEST_F(FoldersPage, RefusesToSaveOverAListItDidNotReadWhole) {
    const std::string longLine = FileOf("A") + std::string(300, 'x') + "\nC:\\X|0|0\n" + FileOf("B");
    const struct {
        const char* what;
        std::string bytes;
        bool lockedWhileLoading;
        const char* loaded;
        int firstPress;
    } cases[] = {
        {"a 300-byte line, Apply", longLine, false, "A", PSBTN_APPLYNOW},
        {"a 300-byte line, OK", longLine, false, "A", PSBTN_OK},
        {"held open by another program, Apply", FileOf("ABCD"), true, "", PSBTN_APPLYNOW},
        {"held open by another program, OK", FileOf("ABCD"), true, "", PSBTN_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dataFile, c.bytes));
        unique_file lock;
        std::string loaded, kept;
        Answered told;
        bool openAfterTelling = false, applyEnabledAfterTelling = false, toldAgain = false, toldAtOk = false;
        std::string fileAfterTelling;
        std::vector<Step> steps = {Do([&] {
                                       if (c.lockedWhileLoading) {
                                           lock.reset(CreateFileA(dataFile.c_str(), GENERIC_READ, 0, nullptr,
                                                                  OPEN_EXISTING, 0, nullptr));
                                           ASSERT_TRUE(lock);
                                       }
                                   }),
                                   ShowPage(kFoldersPage), Do([&] {
                                       lock.reset();
                                       loaded = Letters(ListNames(List()));
                                   })};
        Append(steps, AddThroughTheDialog("C:\\New"));
        Append(steps, {Press(c.firstPress), AnswerBox(kErrorCaption, IDOK, told), Do([&] {
                           kept = Letters(ListNames(List()));
                           openAfterTelling = IsWindow(sheet) != FALSE;
                           applyEnabledAfterTelling = ApplyEnabled();
                           fileAfterTelling = FileBytes();
                       }),
                       Press(PSBTN_APPLYNOW), WatchFor(kErrorCaption, 5, toldAgain), Press(PSBTN_OK),
                       WatchFor(kErrorCaption, 5, toldAtOk), SheetClosed()});
        RunSheet(steps);

        EXPECT_EQ(loaded, c.loaded);
        EXPECT_TRUE(told.seen);
        EXPECT_EQ(told.text, kListNotRead);
        EXPECT_EQ(told.owner, sheet);
        EXPECT_TRUE(openAfterTelling) << "the sheet stays open, so nothing typed is lost unseen";
        EXPECT_EQ(kept, std::string(c.loaded) + "?") << "the rows are kept, the added one too";
        EXPECT_TRUE(applyEnabledAfterTelling);
        EXPECT_EQ(fileAfterTelling, c.bytes);
        EXPECT_FALSE(toldAgain) << "told once";
        EXPECT_FALSE(toldAtOk) << "told once";
        EXPECT_EQ(FileBytes(), c.bytes) << "never saved over";
    }
}

// ---------------------------------------------------------------------------
// A failed save is told, and the sheet does not claim it saved

TEST_F(FoldersPage, TellsWhenTheListCannotBeSavedAndKeepsTheSheetOpen) {
    ASSERT_TRUE(WriteBytes(dataFile, FileOf("AB")));
    unique_file reader;
    Answered atApply, atOk;
    bool openAfterApply = false, applyEnabledAfterApply = false, openAfterOk = false;
    std::string fileAfterApply;
    std::vector<Step> steps = {ShowPage(kFoldersPage)};
    Append(steps, AddThroughTheDialog("C:\\New"));
    Append(steps, {Do([&] {
                       reader.reset(CreateFileA(dataFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
                       ASSERT_TRUE(reader);
                   }),
                   Press(PSBTN_APPLYNOW), AnswerBox(kErrorCaption, IDOK, atApply), Do([&] {
                       openAfterApply = IsWindow(sheet) != FALSE;
                       applyEnabledAfterApply = ApplyEnabled();
                       fileAfterApply = FileBytes();
                   }),
                   Press(PSBTN_OK), AnswerBox(kErrorCaption, IDOK, atOk), Do([&] {
                       openAfterOk = IsWindow(sheet) != FALSE;
                       reader.reset();
                   }),
                   Press(PSBTN_OK), SheetClosed()});
    RunSheet(steps);

    EXPECT_EQ(atApply.text, kSaveFailed);
    EXPECT_EQ(atApply.owner, sheet);
    EXPECT_EQ(fileAfterApply, FileOf("AB")) << "the file is unchanged";
    EXPECT_TRUE(openAfterApply);
    EXPECT_TRUE(applyEnabledAfterApply) << "the changes are not claimed as saved";
    EXPECT_EQ(atOk.text, kSaveFailed);
    EXPECT_TRUE(openAfterOk) << "OK does not close the sheet over an unsaved list";
    EXPECT_EQ(FileBytes(), FileOf("AB") + Record("C:\\New", "C:\\New", false, false)) << "saved once the reader left";
}

TEST_F(FoldersPage, TellsWhenTheListIsTooLargeForTheFile) {
    ASSERT_TRUE(WriteBytes(dataFile, FileOf("AB")));
    Answered told;
    bool applyEnabled = false;
    RunSheet({ShowPage(kFoldersPage), Do([&] {
                  // More rows of full-length names and paths than 64 KiB can hold.
                  SendMessageA(List(), WM_SETREDRAW, FALSE, 0);
                  for (int i = 0; i < 130; ++i) {
                      AppendRow(List(), {std::string(250, 'n') + std::to_string(1000 + i),
                                         "C:\\" + std::string(250, 'p') + std::to_string(i), "No", "No"});
                  }
                  SendMessageA(List(), WM_SETREDRAW, TRUE, 0);
              }),
              Press(PSBTN_APPLYNOW), AnswerBox(kErrorCaption, IDOK, told),
              Do([&] { applyEnabled = ApplyEnabled(); }), Press(PSBTN_CANCEL), SheetClosed()});
    EXPECT_EQ(told.text, kListFull);
    EXPECT_TRUE(applyEnabled);
    EXPECT_EQ(FileBytes(), FileOf("AB"));
}

}  // namespace

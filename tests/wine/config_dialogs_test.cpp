// The Add and Modify dialogs of the configuration program, opened directly on
// a folder list view of the test's own: what they propose, which names and
// paths they refuse and how, and the row they leave behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/wine/config_fixture.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const char kNameEmpty[] = "The name field can not be empty.";
const char kPathEmpty[] = "The path field can not be empty.";
const char kPathBadChar[] = "The path can not contain a line break or the character |.";

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// An owner window with a folder list view holding two rows.
class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WayleapDialogOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, wc.lpszClassName, "Wayleap test owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                500, 300, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(owner, nullptr);
        list = CreateFolderListView(owner);
        ASSERT_NE(list, nullptr);
        for (const Cells& row : kRows) AppendRow(list, row);
    }
    void TearDown() override {
        if (owner) DestroyWindow(owner);
    }

    // Opens the dialog with `open` and runs `steps` inside it; the first step
    // finds it by `caption`. Returns what the dialog returned.
    INT_PTR Run(const char* caption, const std::function<INT_PTR()>& open, std::vector<Step> steps) {
        steps.insert(steps.begin(), WaitForDialog(caption, dialog));
        TimerScript script(std::move(steps));
        const INT_PTR result = open();
        script.RunToEnd();
        return result;
    }
    INT_PTR RunModify(int row, std::vector<Step> steps) {
        return Run(kModifyDialogCaption, [this, row] { return config::ShowModifyDialog(owner, list, row); },
                   std::move(steps));
    }
    INT_PTR RunAdd(const std::string& path, std::vector<Step> steps) {
        return Run(kAddDialogCaption, [this, path] { return config::ShowAddDialog(owner, list, path); },
                   std::move(steps));
    }

    // Steps: type into a field; press OK or Cancel and wait until the dialog is gone.
    Step Type(int id, const std::string& text) {
        return Do([this, id, text] { SetDlgItemTextA(dialog, id, text.c_str()); });
    }
    Step Click(int id) {
        return Do([this, id] { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); });
    }
    std::vector<Step> Close(int id) { return {PostCommand(dialog, id), Gone(dialog)}; }
    static std::vector<Step> Then(std::vector<Step> steps, std::vector<Step> more) {
        for (Step& step : more) steps.push_back(std::move(step));
        return steps;
    }

    const std::vector<Cells> kRows = {{"Docs", "C:\\Docs", "Yes", "No"}, {"Work", "D:\\Work", "No", "Yes"}};
    HWND owner = nullptr;
    HWND list = nullptr;
    HWND dialog = nullptr;
    FocusWatch focus;
};

// ---------------------------------------------------------------------------
// Modify

class ModifyDialog : public FolderDialog {};

TEST_F(ModifyDialog, OpensWithTheTextsOfTheRow) {
    const struct {
        const char* what;
        Cells row;
        bool expand, sortEnabled, sort;
    } cases[] = {
        {"both flags on", {"Docs", "C:\\Docs", "Yes", "Yes"}, true, true, true},
        {"expand only", {"Docs", "C:\\Docs", "Yes", "No"}, true, true, false},
        {"sort without expand", {"Docs", "C:\\Docs", "No", "Yes"}, false, false, true},
        {"a flag is on only for exactly Yes", {"Docs", "C:\\Docs", "yes", "Yes "}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppendRow(list, c.row);
        const int row = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) - 1;
        std::string name, path;
        bool expand = false, sortEnabled = false, sort = false, nameFocused = false;
        DWORD from = 1, to = 0;
        LRESULT nameLimit = 0, pathLimit = 0;
        const INT_PTR result = RunModify(row, Then({Do([&] {
                                                       HWND nameField = GetDlgItem(dialog, IDC_MODIFY_NAME);
                                                       name = TextOf(nameField);
                                                       path = TextOf(GetDlgItem(dialog, IDC_MODIFY_PATH));
                                                       expand = Checked(dialog, IDC_MODIFY_EXPAND);
                                                       sortEnabled = Enabled(dialog, IDC_MODIFY_SORT);
                                                       sort = Checked(dialog, IDC_MODIFY_SORT);
                                                       nameFocused = focus.last() == nameField;
                                                       SendMessageA(nameField, EM_GETSEL,
                                                                    reinterpret_cast<WPARAM>(&from),
                                                                    reinterpret_cast<LPARAM>(&to));
                                                       nameLimit = SendMessageA(nameField, EM_GETLIMITTEXT, 0, 0);
                                                       pathLimit = SendDlgItemMessageA(dialog, IDC_MODIFY_PATH,
                                                                                       EM_GETLIMITTEXT, 0, 0);
                                                   })},
                                                  Close(IDCANCEL)));
        EXPECT_EQ(result, 0) << "Cancel";
        EXPECT_EQ(name, c.row[0]);
        EXPECT_EQ(path, c.row[1]);
        EXPECT_EQ(expand, c.expand);
        EXPECT_EQ(sortEnabled, c.sortEnabled);
        EXPECT_EQ(sort, c.sort);
        EXPECT_TRUE(nameFocused);
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, c.row[0].size()) << "the whole name selected";
        EXPECT_EQ(nameLimit, 260);
        EXPECT_EQ(pathLimit, 260);
        EXPECT_EQ(ListRows(list).back(), c.row) << "Cancel leaves the row";
    }
}

TEST_F(ModifyDialog, RefusesWhatTheFileCannotHoldAndStaysOpenOnTheField) {
    const struct {
        const char* what;
        const char* name;
        const char* path;
        const char* message;
        int field;
    } cases[] = {
        {"empty name", "", "C:\\Docs", kNameEmpty, IDC_MODIFY_NAME},
        {"blank name", " \t ", "C:\\Docs", kNameEmpty, IDC_MODIFY_NAME},
        {"empty path", "Docs", "", kPathEmpty, IDC_MODIFY_PATH},
        {"blank path", "Docs", "  \t", kPathEmpty, IDC_MODIFY_PATH},
        {"both blank: the name first", "", " ", kNameEmpty, IDC_MODIFY_NAME},
        {"a line break in the path", "Docs", "C:\\Docs\r\nC:\\Other", kPathBadChar, IDC_MODIFY_PATH},
        {"a line feed in the path", "Docs", "C:\\Docs\nOther", kPathBadChar, IDC_MODIFY_PATH},
        {"a bar in the path", "Docs", "C:\\Docs|1|1", kPathBadChar, IDC_MODIFY_PATH},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Answered told;
        bool stillOpen = false;
        int focused = 0;
        const INT_PTR result = RunModify(
            0, Then({Type(IDC_MODIFY_NAME, c.name), Type(IDC_MODIFY_PATH, c.path),
                     // Something else has the focus when OK is pressed.
                     Do([&] { SetFocus(GetDlgItem(dialog, IDC_MODIFY_EXPAND)); }), PostCommand(dialog, IDOK),
                     AnswerBox(kModifyCaption, IDOK, told), Do([&] {
                         stillOpen = IsWindow(dialog) != FALSE;
                         focused = focus.lastId();
                     })},
                    Close(IDCANCEL)));
        EXPECT_TRUE(told.seen);
        EXPECT_EQ(told.text, c.message);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(focused, c.field) << "the focus goes to the field at fault";
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ListRows(list), kRows) << "nothing written";
    }
}

TEST_F(ModifyDialog, OkRewritesTheRowFromTheFields) {
    const struct {
        const char* what;
        int row;
        const char* name;  // null: as shown
        const char* path;  // null: as shown
        std::vector<int> clicks;
        Cells after;
    } cases[] = {
        {"no change", 0, nullptr, nullptr, {}, {"Docs", "C:\\Docs", "Yes", "No"}},
        {"blanks around name and path", 0, "  Papers\t", "\t D:\\Papers  ", {}, {"Papers", "D:\\Papers", "Yes", "No"}},
        {"expand switched on", 1, nullptr, nullptr, {IDC_MODIFY_EXPAND}, {"Work", "D:\\Work", "Yes", "Yes"}},
        {"sort switched on", 0, nullptr, nullptr, {IDC_MODIFY_SORT}, {"Docs", "C:\\Docs", "Yes", "Yes"}},
        {"expand switched off keeps the sort mark", 0, nullptr, nullptr, {IDC_MODIFY_SORT, IDC_MODIFY_EXPAND},
         {"Docs", "C:\\Docs", "No", "Yes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        for (const Cells& row : kRows) AppendRow(list, row);
        std::vector<Step> steps;
        if (c.name) steps.push_back(Type(IDC_MODIFY_NAME, c.name));
        if (c.path) steps.push_back(Type(IDC_MODIFY_PATH, c.path));
        for (int id : c.clicks) steps.push_back(Click(id));
        const INT_PTR result = RunModify(c.row, Then(std::move(steps), Close(IDOK)));
        EXPECT_EQ(result, IDOK) << "also when nothing changed";
        std::vector<Cells> expected = kRows;
        expected[static_cast<std::size_t>(c.row)] = c.after;
        EXPECT_EQ(ListRows(list), expected);
    }
}

TEST_F(ModifyDialog, SortBoxIsEnabledOnlyWhileExpandIsChecked) {
    std::vector<bool> enabled;
    auto note = [&] { return Do([&] { enabled.push_back(Enabled(dialog, IDC_MODIFY_SORT)); }); };
    RunModify(1, Then({note(), Click(IDC_MODIFY_EXPAND), note(), Click(IDC_MODIFY_EXPAND), note()}, Close(IDCANCEL)));
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ListRows(list), kRows);
}

// ---------------------------------------------------------------------------
// Add

class AddDialog : public FolderDialog {
protected:
    const std::string kPath = "C:\\Users\\Me\\Projects";
};

TEST_F(AddDialog, ProposesTheChosenPathAsTheWholeSelectedName) {
    std::string name, path;
    bool nameFocused = false, pathReadOnly = false, expand = true, sort = true, sortEnabled = true;
    DWORD from = 1, to = 0;
    LRESULT limit = 0;
    const INT_PTR result = RunAdd(kPath, Then({Do([&] {
                                                  HWND nameField = GetDlgItem(dialog, IDC_ADD_NAME);
                                                  name = TextOf(nameField);
                                                  path = TextOf(GetDlgItem(dialog, IDC_ADD_PATH));
                                                  pathReadOnly = (GetWindowLongA(GetDlgItem(dialog, IDC_ADD_PATH),
                                                                                 GWL_STYLE) &
                                                                  ES_READONLY) != 0;
                                                  nameFocused = focus.last() == nameField;
                                                  SendMessageA(nameField, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                                               reinterpret_cast<LPARAM>(&to));
                                                  limit = SendMessageA(nameField, EM_GETLIMITTEXT, 0, 0);
                                                  expand = Checked(dialog, IDC_ADD_EXPAND);
                                                  sort = Checked(dialog, IDC_ADD_SORT);
                                                  sortEnabled = Enabled(dialog, IDC_ADD_SORT);
                                              })},
                                             Close(IDCANCEL)));
    EXPECT_EQ(name, kPath);
    EXPECT_EQ(path, kPath);
    EXPECT_TRUE(pathReadOnly);
    EXPECT_TRUE(nameFocused);
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, kPath.size());
    EXPECT_EQ(limit, 260);
    EXPECT_FALSE(expand);
    EXPECT_FALSE(sort);
    EXPECT_FALSE(sortEnabled);
    EXPECT_EQ(result, 0) << "Cancel";
    EXPECT_EQ(ListRows(list), kRows) << "Cancel adds nothing";
}

TEST_F(AddDialog, AddAppendsARowWithTheTrimmedNameAndTheChosenPath) {
    const struct {
        const char* what;
        const char* name;  // null: the proposal
        std::vector<int> clicks;
        Cells added;
    } cases[] = {
        {"at once: the full path as name", nullptr, {}, {"C:\\Users\\Me\\Projects", "C:\\Users\\Me\\Projects", "No", "No"}},
        {"blanks around the name", " \t Projects  ", {}, {"Projects", "C:\\Users\\Me\\Projects", "No", "No"}},
        {"expand", "P", {IDC_ADD_EXPAND}, {"P", "C:\\Users\\Me\\Projects", "Yes", "No"}},
        {"expand and sort", "P", {IDC_ADD_EXPAND, IDC_ADD_SORT}, {"P", "C:\\Users\\Me\\Projects", "Yes", "Yes"}},
        {"sort kept after expand is unchecked", "P", {IDC_ADD_EXPAND, IDC_ADD_SORT, IDC_ADD_EXPAND},
         {"P", "C:\\Users\\Me\\Projects", "No", "Yes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        for (const Cells& row : kRows) AppendRow(list, row);
        std::vector<Step> steps;
        if (c.name) steps.push_back(Type(IDC_ADD_NAME, c.name));
        for (int id : c.clicks) steps.push_back(Click(id));
        const INT_PTR result = RunAdd(kPath, Then(std::move(steps), Close(IDOK)));
        EXPECT_EQ(result, IDOK);
        std::vector<Cells> expected = kRows;
        expected.push_back(c.added);
        EXPECT_EQ(ListRows(list), expected) << "appended at the end";
    }
}

TEST_F(AddDialog, SortBoxIsEnabledOnlyWhileExpandIsChecked) {
    std::vector<bool> enabled;
    auto note = [&] { return Do([&] { enabled.push_back(Enabled(dialog, IDC_ADD_SORT)); }); };
    RunAdd(kPath, Then({note(), Click(IDC_ADD_EXPAND), note(), Click(IDC_ADD_EXPAND), note()}, Close(IDCANCEL)));
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, false}));
}

TEST_F(AddDialog, AnEmptyNameOnlyTakesTheFocusBack) {
    bool told = false, stillOpen = false;
    int focused = 0;
    const INT_PTR result =
        RunAdd(kPath, Then({Type(IDC_ADD_NAME, ""), Do([&] { SetFocus(GetDlgItem(dialog, IDC_ADD_EXPAND)); }),
                            PostCommand(dialog, IDOK), WatchFor(kAddCaption, 5, told), Do([&] {
                                stillOpen = IsWindow(dialog) != FALSE;
                                focused = focus.lastId();
                            })},
                           Close(IDCANCEL)));
    EXPECT_FALSE(told) << "no message";
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, IDC_ADD_NAME);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ListRows(list), kRows);
}

TEST_F(AddDialog, ABlankNameIsRefusedWithAMessage) {
    Answered told;
    bool stillOpen = false;
    int focused = 0;
    const INT_PTR result =
        RunAdd(kPath, Then({Type(IDC_ADD_NAME, "  \t "), Do([&] { SetFocus(GetDlgItem(dialog, IDC_ADD_EXPAND)); }),
                            PostCommand(dialog, IDOK), AnswerBox(kAddCaption, IDOK, told), Do([&] {
                                stillOpen = IsWindow(dialog) != FALSE;
                                focused = focus.lastId();
                            })},
                           Close(IDCANCEL)));
    EXPECT_TRUE(told.seen);
    EXPECT_EQ(told.text, kNameEmpty);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, IDC_ADD_NAME);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ListRows(list), kRows);
}

}  // namespace

// The configuration sheet of Wayleap.exe driven in-process.
#include "tests/wine/config_fixture.h"

#include <memory>
#include <ostream>

#include "core/registry_names.h"
#include "win/unique_handle.h"

namespace wayleap::test {

// ---------------------------------------------------------------------------
// Settings in the registry

void CleanSettings() {
    for (const char* subKey : kShellHandlerKeys) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(subKey) + "\\child").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

namespace {

void SetDefault(const char* subKey, const char* text) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             static_cast<DWORD>(lstrlenA(text) + 1)),
              ERROR_SUCCESS);
}

std::string ReadDefault(const char* subKey) {
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "<none>";
    char buffer[512] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return "<no value>";
    }
    return type == REG_SZ ? std::string(buffer) : std::string("<bad>");
}

}  // namespace

void StoreSettings(bool enabled, bool submenu) {
    CleanSettings();
    if (enabled) {
        for (const char* subKey : kShellHandlerKeys) SetDefault(subKey, kHandlerClsidText);
    }
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    const DWORD value = submenu ? 1 : 0;
    ASSERT_EQ(RegSetValueExA(key.get(), kSubmenuValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value),
              ERROR_SUCCESS);
}

StoredSettings ReadStoredSettings() {
    StoredSettings s;
    s.folderKey = ReadDefault(kFolderHandlerKey);
    s.backgroundKey = ReadDefault(kBackgroundHandlerKey);
    s.submenu = "<none>";
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        const LONG result =
            RegQueryValueExA(key.get(), kSubmenuValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        if (result == ERROR_SUCCESS) {
            s.submenu = type == REG_DWORD && size == sizeof value ? std::to_string(value) : "<bad>";
        } else if (result != ERROR_FILE_NOT_FOUND) {
            s.submenu = "<bad>";
        }
    }
    return s;
}

bool operator==(const StoredSettings& a, const StoredSettings& b) {
    return a.folderKey == b.folderKey && a.backgroundKey == b.backgroundKey && a.submenu == b.submenu;
}

std::ostream& operator<<(std::ostream& out, const StoredSettings& s) {
    return out << "{Folder key " << s.folderKey << ", Background key " << s.backgroundKey << ", submenu "
               << s.submenu << "}";
}

StoredSettings SettingsWritten(bool enabled, bool submenu) {
    const std::string key = enabled ? kHandlerClsidText : "<none>";
    return StoredSettings{key, key, submenu ? "1" : "0"};
}

// ---------------------------------------------------------------------------
// FolderList.dat

std::string Record(const std::string& name, const std::string& path, bool expand, bool sort) {
    return name + "\n" + path + "|" + (expand ? "1" : "0") + "|" + (sort ? "1" : "0") + "\n";
}

FILETIME LastWriteTime(const std::string& path) {
    FILETIME written = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) written = data.ftLastWriteTime;
    return written;
}

void DateBack(const std::string& path) {
    unique_file file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file) << path;
    SYSTEMTIME old = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&old, &time));
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &time));
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

// ---------------------------------------------------------------------------
// The folder list view

std::string CellText(HWND list, int row, int column) {
    char buffer[600] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::vector<Cells> ListRows(HWND list) {
    std::vector<Cells> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        rows.push_back({CellText(list, row, 0), CellText(list, row, 1), CellText(list, row, 2), CellText(list, row, 3)});
    }
    return rows;
}

std::vector<std::string> ListNames(HWND list) {
    std::vector<std::string> names;
    for (const Cells& row : ListRows(list)) names.push_back(row[0]);
    return names;
}

namespace {
void SetState(HWND list, int row, UINT mask, UINT state) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}
}  // namespace

void SelectRows(HWND list, const std::vector<int>& rows) {
    SetState(list, -1, LVIS_SELECTED, 0);
    for (int row : rows) SetState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        if (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) {
            rows.push_back(row);
        }
    }
    return rows;
}

void FocusRow(HWND list, int row) {
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) SetState(list, i, LVIS_FOCUSED, 0);
    if (row >= 0) SetState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
}

HWND CreateFolderListView(HWND parent) {
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 0, 0, 400, 200,
                                parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    const char* titles[] = {"Name", "Path", "Expand", "Sort"};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = 90;
        column.pszText = const_cast<char*>(titles[i]);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

void AppendRow(HWND list, const Cells& cells) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < 4; ++column) {
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = const_cast<char*>(cells[static_cast<std::size_t>(column)].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
    }
}

// ---------------------------------------------------------------------------
// Message boxes and dialogs

Step AnswerBox(const char* caption, int button, Answered& seen) {
    const std::string wanted = caption;
    return [wanted, button, &seen] {
        HWND box = FindThreadDialog(wanted);
        if (!box) return false;
        seen.seen = true;
        seen.text = MessageBoxText(box);
        seen.owner = GetWindow(box, GW_OWNER);
        seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        return true;
    };
}

Step WatchFor(const char* caption, int ticks, bool& appeared) {
    const std::string wanted = caption;
    auto left = std::make_shared<int>(ticks);
    return [wanted, left, &appeared] {
        if (HWND found = FindThreadDialog(wanted)) {
            appeared = true;
            PostMessageA(found, WM_COMMAND, GetDlgItem(found, IDCANCEL) ? IDCANCEL : IDOK, 0);
        }
        return --*left <= 0;
    };
}

Step WaitForDialog(const char* caption, HWND& dialog) {
    const std::string wanted = caption;
    return [wanted, &dialog] {
        dialog = FindThreadDialog(wanted);
        return dialog != nullptr;
    };
}

Step Gone(const HWND& window) {
    return [&window] { return !IsWindow(window); };
}

Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

Step PostCommand(const HWND& dialog, int id) {
    return [&dialog, id] {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        return true;
    };
}

namespace {
FocusWatch* g_focusWatch = nullptr;
}  // namespace

FocusWatch::FocusWatch() {
    g_focusWatch = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    EXPECT_NE(hook_, nullptr);
}

FocusWatch::~FocusWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    g_focusWatch = nullptr;
}

LRESULT CALLBACK FocusWatch::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_focusWatch) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_SETFOCUS) g_focusWatch->last_ = message->hwnd;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---------------------------------------------------------------------------
// The sheet

namespace {
HWND g_createdSheet = nullptr;
void NoteSheet(HWND sheet) { g_createdSheet = sheet; }
}  // namespace

void ConfigSheetTest::SetUp() {
    CleanSettings();
    state.module = GetModuleHandleA(nullptr);
    state.dataFilePath = dataFile;
}

void ConfigSheetTest::TearDown() { CleanSettings(); }

INT_PTR ConfigSheetTest::RunSheet(std::vector<Step> steps, DWORD timeoutMs) {
    g_createdSheet = nullptr;
    sheet = nullptr;
    steps.insert(steps.begin(), [this] {
        sheet = g_createdSheet;
        return sheet != nullptr && IsWindowVisible(sheet);
    });
    TimerScript script(std::move(steps), timeoutMs);
    const INT_PTR result = config::ShowConfigurationSheet(state, nullptr, NoteSheet);
    script.RunToEnd();
    return result;
}

HWND ConfigSheetTest::PageAt(int index) const {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

Step ConfigSheetTest::ShowPage(int index) {
    return [this, index] {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return PageAt(index) != nullptr;
    };
}

Step ConfigSheetTest::ClickOn(int page, int id) {
    return [this, page, id] {
        PostMessageA(GetDlgItem(PageAt(page), id), BM_CLICK, 0, 0);
        return true;
    };
}

Step ConfigSheetTest::Press(int button) {
    return [this, button] {
        PostMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        return true;
    };
}

}  // namespace wayleap::test

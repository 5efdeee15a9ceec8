// The configuration sheet of Wayleap.exe driven in-process.
#include "tests/wine/config_fixture.h"

#include <tuple>

#include "core/registry_names.h"
#include "win/unique_handle.h"

namespace wayleap::test {

void CleanSettings() {
    for (const char* subKey : kShellHandlerKeys) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(subKey) + "\\child").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void StoreSettings(bool enabled, bool submenu) {
    CleanSettings();
    for (const char* subKey : kShellHandlerKeys) {
        if (enabled) RegSetValueA(HKEY_CLASSES_ROOT, subKey, REG_SZ, kHandlerClsidText, sizeof kHandlerClsidText);
    }
    const DWORD value = submenu ? 1 : 0;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
}

StoredSettings ReadStoredSettings() {
    StoredSettings s{"<none>", "<none>", "<none>"};
    std::string* keys[] = {&s.folderKey, &s.backgroundKey};
    for (int i = 0; i < 2; ++i) {
        char text[512] = {};
        LONG size = sizeof text;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, kShellHandlerKeys[i], text, &size) == ERROR_SUCCESS) *keys[i] = text;
    }
    DWORD value = 0, size = sizeof value;
    const LONG read = RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (read != ERROR_FILE_NOT_FOUND) s.submenu = read == ERROR_SUCCESS ? std::to_string(value) : "<bad>";
    return s;
}

bool operator==(const StoredSettings& a, const StoredSettings& b) {
    return std::tie(a.folderKey, a.backgroundKey, a.submenu) == std::tie(b.folderKey, b.backgroundKey, b.submenu);
}

std::ostream& operator<<(std::ostream& out, const StoredSettings& s) {
    return out << "{Folder key " << s.folderKey << ", Background key " << s.backgroundKey << ", submenu "
               << s.submenu << "}";
}

StoredSettings SettingsWritten(bool enabled, bool submenu) {
    const std::string key = enabled ? kHandlerClsidText : "<none>";
    return StoredSettings{key, key, submenu ? "1" : "0"};
}

std::string Record(const std::string& name, const std::string& path, bool expand, bool sort) {
    return name + "\n" + path + "|" + (expand ? "1" : "0") + "|" + (sort ? "1" : "0") + "\n";
}

namespace {
HWND g_createdSheet = nullptr;
}  // namespace

void ConfigSheetTest::SetUp() {
    CleanSettings();
    state.module = GetModuleHandleA(nullptr);
    state.dataFilePath = dataFile;
    state.chooseFolder = [this](HWND) { return ILCreateFromPathW(chosen.path.c_str()); };  // "Add a Folder..."
}

INT_PTR ConfigSheetTest::RunSheet(std::vector<Step> steps) {
    g_createdSheet = sheet = nullptr;
    told.clear();
    steps.insert(steps.begin(), [this] { return (sheet = g_createdSheet) != nullptr && IsWindowVisible(sheet); });
    steps.push_back(steps::Gone(sheet));
    return RunModal(
        [this] { return config::ShowConfigurationSheet(state, nullptr, [](HWND created) { g_createdSheet = created; }); },
        std::move(steps));
}

TimerScript::Step ConfigSheetTest::Fill(const char* caption, std::vector<std::pair<int, std::string>> texts,
                                        std::vector<int> clicks) {
    return [=] {
        HWND dialog = FindThreadDialog(caption);
        if (!dialog) return false;
        for (const auto& [id, text] : texts) SetDlgItemTextA(dialog, id, text.c_str());
        for (int id : clicks) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
        return PostMessageA(dialog, WM_COMMAND, IDOK, 0) != FALSE;
    };
}

}  // namespace wayleap::test

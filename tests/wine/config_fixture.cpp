// The configuration sheet of Wayleap.exe driven in-process.
#include "tests/wine/config_fixture.h"

#include "core/registry_names.h"
#include "win/registry_classes.h"
#include "win/unique_handle.h"

namespace wayleap::test {

namespace {

HKEY Classes(bool machine, unique_hkey& holder) {
    OpenClasses(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, KEY_ALL_ACCESS, holder.put());
    return holder.get();
}

}  // namespace

std::string ClassesValue(bool machine, const std::string& subKey) {
    unique_hkey classes, key;
    char text[512] = {};
    DWORD size = sizeof text - 1;
    if (RegOpenKeyExA(Classes(machine, classes), subKey.c_str(), 0, KEY_READ | kClassesView, key.put()) != ERROR_SUCCESS) {
        return "<none>";
    }
    return RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS
               ? text : "<none>";
}

void CleanSettings() {
    for (const bool machine : {false, true}) {
        unique_hkey classes;
        for (const char* subKey : kShellHandlerKeys) {
            RegDeleteKeyExA(Classes(machine, classes), (std::string(subKey) + "\\child").c_str(), kClassesView, 0);
            RegDeleteKeyExA(classes.get(), subKey, kClassesView, 0);
        }
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void SetHandlerKey(bool machine, const char* subKey, const std::string& value) {
    unique_hkey classes, key;
    ASSERT_EQ(RegCreateKeyExA(Classes(machine, classes), subKey, 0, nullptr, 0, KEY_ALL_ACCESS | kClassesView, nullptr,
                              key.put(), nullptr), ERROR_SUCCESS);
    RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void StoreSettings(bool enabled, bool submenu, bool machine) {
    CleanSettings();
    for (const char* subKey : kShellHandlerKeys) {
        if (enabled) SetHandlerKey(machine, subKey, kHandlerClsidText);
    }
    const DWORD value = submenu ? 1 : 0;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
}

std::string Stored(const std::string& folderKey, const std::string& backgroundKey, const std::string& submenu,
                   const std::string& machineFolderKey, const std::string& machineBackgroundKey) {
    return "user's keys " + folderKey + ", " + backgroundKey + "; submenu " + submenu + "; machine's keys " +
           machineFolderKey + ", " + machineBackgroundKey;
}

std::string ReadStoredSettings() {
    DWORD value = 0, size = sizeof value;
    const LONG read = RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kSubmenuValue, RRF_RT_REG_DWORD, nullptr, &value, &size);
    const std::string submenu = read == ERROR_FILE_NOT_FOUND ? "<none>" : read == ERROR_SUCCESS ? std::to_string(value) : "<bad>";
    return Stored(ClassesValue(false, kFolderHandlerKey), ClassesValue(false, kBackgroundHandlerKey), submenu,
                  ClassesValue(true, kFolderHandlerKey), ClassesValue(true, kBackgroundHandlerKey));
}

std::string SettingsWritten(bool enabled, const char* submenu) {
    const std::string key = enabled ? kHandlerClsidText : "<none>";
    return Stored(key, key, submenu);
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
    steps.push_back([this] { return !IsWindow(sheet); });
    TimerScript script(std::move(steps), 20000);
    const INT_PTR result = config::ShowConfigurationSheet(state, nullptr, [](HWND created) { g_createdSheet = created; });
    return script.RunToEnd(), result;
}

TimerScript::Step ConfigSheetTest::Fill(const char* caption, std::vector<std::pair<int, std::string>> texts,
                                        std::vector<int> clicks) {
    return [=] {
        HWND dialog = FindThreadDialog(caption);
        if (!dialog) return false;
        for (const auto& [id, text] : texts) SetDlgItemTextA(dialog, id, text.c_str());
        for (int id : clicks) {  // as a user clicks: a disabled button stays as it is
            if (IsWindowEnabled(GetDlgItem(dialog, id))) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
        }
        return PostMessageA(dialog, WM_COMMAND, IDOK, 0) != FALSE;
    };
}

}  // namespace wayleap::test

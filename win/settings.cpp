// The enable state and the menu style in the registry.
#include "win/settings.h"

#include <windows.h>

#include "core/registry_names.h"
#include "win/unique_handle.h"

namespace wayleap {
namespace {

// True when `subKey` exists and its default value is exactly the CLSID text.
// A value of 256 bytes or more does not fit the buffer and reads as foreign.
bool ShellKeyNamesHandler(const char* subKey) {
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    char value[257] = {};
    DWORD size = 256;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return lstrcmpA(value, kHandlerClsidText) == 0;
}

bool CreateShellKey(const char* subKey) {
    unique_hkey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kHandlerClsidText),
                          sizeof kHandlerClsidText) == ERROR_SUCCESS;
}

bool DeleteShellKey(const char* subKey) {
    const LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

Settings ReadSettings() {
    Settings settings;
    settings.enabled = true;
    for (const char* subKey : kShellHandlerKeys) {
        if (!ShellKeyNamesHandler(subKey)) settings.enabled = false;
    }

    settings.submenu = ReadSubmenuSetting();
    return settings;
}

bool ReadSubmenuSetting() {
    unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return true;
    // Four bytes at most: a longer value does not fit and reads as the default.
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.get(), kSubmenuValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return true;
    }
    return value != 0;
}

SettingsWriteResult WriteSettings(const Settings& settings) {
    SettingsWriteResult result;
    result.shellKeys = true;
    for (const char* subKey : kShellHandlerKeys) {
        const bool done = settings.enabled ? CreateShellKey(subKey) : DeleteShellKey(subKey);
        if (!done) result.shellKeys = false;
    }

    unique_hkey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) == ERROR_SUCCESS) {
        const DWORD value = settings.submenu ? 1 : 0;
        result.menuStyle = RegSetValueExA(key.get(), kSubmenuValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                          sizeof value) == ERROR_SUCCESS;
    }
    return result;
}

}  // namespace wayleap

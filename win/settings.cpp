// The enable state and the menu style in the registry.
#include "win/settings.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "core/registry_names.h"
#include "win/registry_classes.h"
#include "win/unique_handle.h"

namespace wayleap {
namespace {

enum class KeyState { Missing, Ours, Foreign };

// A handler key under the user's or the machine's classes: missing, or
// whether its default value is exactly the CLSID text. A value of 256 bytes
// or more does not fit the buffer and reads as foreign.
KeyState HandlerKey(HKEY root, const char* subKey) {
    unique_hkey classes, key;
    if (OpenClasses(root, KEY_READ, classes.put()) != ERROR_SUCCESS ||
        RegOpenKeyExA(classes.get(), subKey, 0, KEY_READ | kClassesView, key.put()) != ERROR_SUCCESS) {
        return KeyState::Missing;
    }
    char value[257] = {};
    DWORD size = 256;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS) {
        return KeyState::Foreign;
    }
    return lstrcmpA(value, kHandlerClsidText) == 0 ? KeyState::Ours : KeyState::Foreign;
}

bool CreateUserKey(const char* subKey) {
    unique_hkey classes, key;
    if (OpenClasses(HKEY_CURRENT_USER, KEY_ALL_ACCESS, classes.put()) != ERROR_SUCCESS ||
        RegCreateKeyExA(classes.get(), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kClassesView,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kHandlerClsidText),
                          sizeof kHandlerClsidText) == ERROR_SUCCESS;
}

// Removes a handler key; true when it is gone (or was never there).
bool DeleteKey(HKEY root, const char* subKey) {
    unique_hkey classes;
    if (OpenClasses(root, KEY_ALL_ACCESS, classes.put()) != ERROR_SUCCESS) {
        return HandlerKey(root, subKey) == KeyState::Missing;
    }
    const LONG result = RegDeleteKeyExA(classes.get(), subKey, kClassesView, 0);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

Settings ReadSettings() {
    Settings settings;
    settings.enabled = true;
    for (const char* subKey : kShellHandlerKeys) {
        KeyState state = HandlerKey(HKEY_CURRENT_USER, subKey);
        if (state == KeyState::Missing) state = HandlerKey(HKEY_LOCAL_MACHINE, subKey);
        if (state != KeyState::Ours) settings.enabled = false;
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
    const Settings stored = ReadSettings();
    if (settings.enabled != stored.enabled) {
        for (const char* subKey : kShellHandlerKeys) {
            if (settings.enabled) {
                if (!CreateUserKey(subKey)) result.shellKeys = false;
                continue;
            }
            if (!DeleteKey(HKEY_CURRENT_USER, subKey)) result.shellKeys = false;
            // Keys an administrator wrote for every user: removed when the
            // rights allow, and otherwise reported.
            if (HandlerKey(HKEY_LOCAL_MACHINE, subKey) == KeyState::Ours && !DeleteKey(HKEY_LOCAL_MACHINE, subKey)) {
                result.machineKeysLeft = true;
            }
        }
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }
    if (settings.submenu != stored.submenu) {
        unique_hkey key;
        const DWORD value = settings.submenu ? 1 : 0;
        result.menuStyle =
            RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr) == ERROR_SUCCESS &&
            RegSetValueExA(key.get(), kSubmenuValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value) == ERROR_SUCCESS;
    }
    return result;
}

}  // namespace wayleap

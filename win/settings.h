// The two settings: whether the shell shows the menu (the shell-extension keys
// under HKEY_CLASSES_ROOT) and the menu style (HKCU\Software\Wayleap "submenu").
#pragma once

namespace wayleap {

struct Settings {
    bool enabled = false;  // both shell keys exist and name the handler's CLSID
    bool submenu = true;   // items in one cascading "Wayleap" item, else directly
};

// Reads both settings; what is missing or malformed takes the default.
Settings ReadSettings();

// Reads the menu style alone (the "submenu" setting): all a context menu needs.
bool ReadSubmenuSetting();

// What WriteSettings managed to change.
struct SettingsWriteResult {
    bool shellKeys = false;  // both shell keys created (or removed) as asked
    bool menuStyle = false;  // the "submenu" value written
    bool ok() const { return shellKeys && menuStyle; }
};

// Writes both settings: enabling creates both shell keys naming the CLSID,
// disabling deletes them (a key that is already gone is no failure). Writing
// under HKEY_CLASSES_ROOT needs rights a restricted account may lack; the
// result says so instead of hiding it.
SettingsWriteResult WriteSettings(const Settings& settings);

}  // namespace wayleap

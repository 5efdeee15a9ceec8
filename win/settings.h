// The two settings: whether the shell shows the menu (the shell-extension
// handler keys) and the menu style (HKCU\Software\Wayleap "submenu"). The
// handler keys are written for the user alone (HKCU\Software\Classes), which
// needs no administrator rights; an administrator or an earlier version may
// have written them for every user (HKLM\Software\Classes).
#pragma once

namespace wayleap {

struct Settings {
    bool enabled = false;  // both handler keys name the handler's CLSID, as the shell sees them
    bool submenu = true;   // items in one cascading "Wayleap" item, else directly
};

// Reads both settings; what is missing or malformed takes the default. A
// handler key is the user's where the user has one, else the machine's, as
// in the shell's merged view of the classes.
Settings ReadSettings();

// Reads the menu style alone (the "submenu" setting): all a context menu needs.
bool ReadSubmenuSetting();

// What WriteSettings did, and what it could not do.
struct SettingsWriteResult {
    bool shellKeys = true;         // the user's handler keys are as asked (or needed no change)
    bool machineKeysLeft = false;  // switched off, but keys written for every user remain
    bool menuStyle = true;         // the style is stored as asked (or needed no change)
    bool ok() const { return shellKeys && !machineKeysLeft && menuStyle; }
};

// Writes what differs from what is stored, and nothing else. Switching on
// creates both handler keys under the user's classes naming the CLSID;
// switching off removes them, and the machine's too where the rights allow.
// The shell is told of a switch.
SettingsWriteResult WriteSettings(const Settings& settings);

}  // namespace wayleap

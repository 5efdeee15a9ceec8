// Registry names shared by the shell extension and the configuration program.
#pragma once

namespace wayleap {

// The handler's CLSID in registry form. Compared byte for byte with what the
// shell-extension keys hold, so it is always written exactly like this.
inline constexpr char kHandlerClsidText[] = "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}";

// Under the user's (or the machine's) classes: present, naming the CLSID,
// while the menu is enabled.
inline constexpr char kFolderHandlerKey[] = "Folder\\shellex\\ContextMenuHandlers\\Wayleap";
inline constexpr char kBackgroundHandlerKey[] = "Directory\\Background\\shellex\\ContextMenuHandlers\\Wayleap";
inline constexpr const char* kShellHandlerKeys[] = {kFolderHandlerKey, kBackgroundHandlerKey};

// Under HKEY_CURRENT_USER: the menu style.
inline constexpr char kSettingsKey[] = "Software\\Wayleap";
inline constexpr char kSubmenuValue[] = "submenu";

}  // namespace wayleap

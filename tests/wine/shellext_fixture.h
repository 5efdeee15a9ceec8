// A private installation of SkipdoorCM.dll for the Wine tests: the DLL copied
// into a scratch directory with its own FolderList.dat, registered with its
// own DllRegisterServer, and handlers made through CoCreateInstance exactly as
// the shell makes them. Menus built by a handler are read back item by item.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/folder_list.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_driver.h"

namespace wayleap::test {

extern const CLSID kHandlerClsid;

// Set from the command line by the test program's main: the built DLL.
void SetBuiltDllPath(const char* path);
const std::string& BuiltDllPath();

class InstalledDll {
public:
    // Copies the built DLL into `dir` (created if needed) and registers it.
    explicit InstalledDll(const std::string& dir);
    ~InstalledDll();  // unregisters and unloads it
    InstalledDll(const InstalledDll&) = delete;
    InstalledDll& operator=(const InstalledDll&) = delete;

    const std::string& dir() const { return dir_; }
    const std::string& dllPath() const { return dllPath_; }
    std::string dataFile() const { return dir_ + "FolderList.dat"; }
    HMODULE module() const { return module_; }
    HRESULT registerResult() const { return registered_; }

    template <typename F>
    F Export(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HRESULT Register() const;
    HRESULT Unregister() const;
    HRESULT CanUnloadNow() const;

private:
    std::string dir_;
    std::string dllPath_;
    HMODULE module_ = nullptr;
    HRESULT registered_ = E_FAIL;
};

// Writes the folder list file beside the installed DLL.
void WriteFolderList(const InstalledDll& dll, const FolderList& list);
// Sets the menu style the next handler reads.
void SetMenuStyle(bool submenu);
// Whether the shell shows hidden files (HKCU ...\Explorer\Advanced "Hidden").
void SetShowHidden(bool show);

// Item id list of a file-system path (free with CoTaskMemFree).
PIDLIST_ABSOLUTE PidlOf(const std::string& path);
// The path the shell reports for `path` (SHGetPathFromIDListA of its id
// list): what a handler records when the background of `path` is clicked.
std::string ShellPathOf(const std::string& path);
// A data object for several items of one folder, as the shell hands it over.
IDataObject* DataObjectFor(const std::string& folder, const std::vector<std::string>& names);

// One menu item as read back with GetMenuItemInfoA.
struct MenuItem {
    bool separator = false;
    std::string text;
    UINT id = 0;
    UINT state = 0;
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
    ULONG_PTR data = 0;
    HMENU subMenu = nullptr;
    std::vector<MenuItem> children;
};
std::vector<MenuItem> ReadMenu(HMENU menu);
std::vector<std::string> Texts(const std::vector<MenuItem>& items);  // separators read "-"

// A handler object with its interfaces; released at the end.
struct Handler {
    IShellExtInit* init = nullptr;
    IContextMenu3* menu = nullptr;
    Handler();
    ~Handler();
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;
    explicit operator bool() const { return init && menu; }
};

// What QueryContextMenu did to a fresh popup menu.
struct BuiltMenu {
    HRESULT hr = E_FAIL;
    HMENU menu = nullptr;
    std::vector<MenuItem> items;
    BuiltMenu() = default;
    ~BuiltMenu();
    BuiltMenu(const BuiltMenu&) = delete;
    BuiltMenu& operator=(const BuiltMenu&) = delete;
};

inline constexpr UINT kFirstId = 100;
inline constexpr UINT kLastId = 0x7FFF;

// Initializes `h` for a click on the background of `folder`, then builds its menu.
void BuildMenu(Handler& h, const std::string& folder, BuiltMenu& out, UINT first = kFirstId, UINT last = kLastId,
               UINT flags = CMF_NORMAL, UINT indexMenu = 0);
// The two halves of BuildMenu: Initialize for a click on the background of
// `folder`; QueryContextMenu into out.menu (a fresh popup unless the caller
// made one beforehand), read back into `out`.
void InitializeBackground(Handler& h, const std::string& folder);
void QueryMenu(Handler& h, BuiltMenu& out, UINT first = kFirstId, UINT last = kLastId, UINT flags = CMF_NORMAL,
               UINT indexMenu = 0);
// GetCommandString as ANSI text (or the HRESULT when it fails).
std::string HelpTextA(Handler& h, UINT offset);

}  // namespace wayleap::test

// Invoking commands as the shell does; window_driver.h drives the dialogs they show.

namespace wayleap::test {

// InvokeCommand as the shell calls it after a click: the command's offset (or
// a verb string) and the window the menu was opened in.
HRESULT InvokeOffset(IContextMenu* menu, HWND window, UINT offset);
HRESULT InvokeVerb(IContextMenu* menu, HWND window, const char* verb);

// The command offset of the first item with this text, searched through the
// popups as well; UINT_MAX when there is none.
UINT OffsetOfItem(const std::vector<MenuItem>& items, const std::string& text, UINT first = kFirstId);

}  // namespace wayleap::test

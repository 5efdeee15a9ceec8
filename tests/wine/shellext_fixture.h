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

// Driving real windows from the test's own thread: command invocation and the
// dialogs it shows.
#include <functional>

namespace wayleap::test {

// InvokeCommand as the shell calls it after a click: the command's offset (or
// a verb string) and the window the menu was opened in.
HRESULT InvokeOffset(IContextMenu* menu, HWND window, UINT offset);
HRESULT InvokeVerb(IContextMenu* menu, HWND window, const char* verb);

// The command offset of the first item with this text, searched through the
// popups as well; UINT_MAX when there is none.
UINT OffsetOfItem(const std::vector<MenuItem>& items, const std::string& text, UINT first = kFirstId);

// Text of a window or control (WM_GETTEXT).
std::string TextOf(HWND window);
// A visible top-level dialog-class ("#32770") window of this thread with that caption, or null.
HWND FindThreadDialog(const std::string& caption);
// The text a message box shows; empty for a window that is not a message box.
std::string MessageBoxText(HWND box);
// Closes every visible dialog of this thread (message boxes with OK, other
// dialogs with Cancel) and returns their captions.
std::vector<std::string> CloseThreadDialogs();

// Runs this thread's messages until `done` holds or `timeoutMs` have passed;
// true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
void PumpFor(DWORD ms);

// Steps run one per tick of a 10 ms thread timer, so they also run inside the
// modal loops of DialogBox, MessageBox and GetOpenFileName: a test sets the
// script up before the call that shows a modal window. A step returns true
// when it is done; the next one runs on a later tick. A step must not run a
// modal loop itself (post the click that opens one instead). When the steps
// have not finished in time the script reports a failure and closes the
// thread's dialogs, so a modal call never hangs the test.
class TimerScript {
public:
    using Step = std::function<bool()>;
    explicit TimerScript(std::vector<Step> steps, DWORD timeoutMs = 15000);
    ~TimerScript();
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;

    bool finished() const { return next_ >= steps_.size(); }
    bool timedOut() const { return timedOut_; }
    // Pumps messages until every step is done or the time is up; true when done.
    bool RunToEnd();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Advance();
    void Stop();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD start_;
    DWORD timeoutMs_;
    UINT_PTR timer_ = 0;
    bool running_ = false;
    bool timedOut_ = false;
};

// For calls that must show nothing: closes every dialog of this thread that
// appears while it lives and keeps the captions.
class DialogSentinel {
public:
    DialogSentinel();
    std::vector<std::string> seen;

private:
    TimerScript script_;
};

}  // namespace wayleap::test

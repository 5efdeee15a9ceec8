// A private installation of SkipdoorCM.dll for the Wine tests: the built DLL
// copied into a scratch directory beside its own FolderList.dat, registered
// with its own DllRegisterServer, and handlers made through CoCreateInstance
// as the shell makes them. Menus are read back from the real HMENUs.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/folder_list.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_driver.h"

namespace wayleap::test {

extern const CLSID kHandlerClsid;
// A folder whose listing takes far longer than a menu waits (its sub-folders
// are "alpha" and "beta"); empty when the program was not given one.
extern std::string g_slowFolder;

class InstalledDll {
public:
    explicit InstalledDll(const std::string& dir);  // copies, loads and registers it
    ~InstalledDll();                                // unregisters and unloads it

    template <typename F>
    F Export(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    HRESULT Call(const char* name) const;  // DllRegisterServer, DllUnregisterServer, DllCanUnloadNow

    std::string dir, path;
    HMODULE module = nullptr;
    HRESULT registered = E_FAIL;
};

// A handler object and the shell's menu it fills.
struct Handler {
    IShellExtInit* init = nullptr;
    IContextMenu3* menu = nullptr;
    HMENU hmenu = CreatePopupMenu();
    Handler();
    ~Handler();

    // Initialize for a click on the background of `folder`, or with `names`
    // selected in it (through the shell's own data object).
    HRESULT Init(const std::wstring& folder, const std::vector<std::wstring>& names = {});
    HRESULT Init(const std::string& folder, const std::vector<std::string>& names = {});
    // QueryContextMenu into hmenu; its returned count goes to `count`.
    void Query(UINT first = 100, UINT last = 0x7FFF, UINT flags = CMF_NORMAL, UINT index = 0, int* count = nullptr);
    HRESULT Invoke(HWND window, UINT offset);
};

// A menu as one line: "text#id" per item ("~" behind grayed ones), "-" per
// separator, a popup's items in braces behind its item. `pictures` receives
// the check-mark picture of every command item (null for one without, or with two different ones).
std::string Outline(HMENU menu, std::set<HBITMAP>* pictures = nullptr);

// Sets a DWORD value under HKEY_CURRENT_USER: the menu style ("Software\\Wayleap",
// "submenu") or whether the shell shows hidden files (kAdvanced, "Hidden": 1 shown, 2 not).
void SetSetting(const char* subKey, const char* name, DWORD value);
inline constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// A step that waits for the DLL's "Wayleap - Error" message box, keeps its text and presses OK.
inline TimerScript::Step CloseError(std::string& text) { return steps::Answer("Wayleap - Error", IDOK, &text); }

class ShellextTest : public ::testing::Test {
protected:
    void SetUp() override;
    void WriteList(const std::vector<FolderEntry>& entries);
    // Makes scratch/`name` with these sub-folders; its path without a trailing backslash.
    std::string MakeDirs(const std::string& name, const std::vector<std::string>& subs = {});
    // A fresh handler `h` (the only one: a second live one does nothing) with
    // `names` selected in `folder`, or its background clicked, and its menu built.
    template <typename Path>
    void Select(const Path& folder, const std::vector<Path>& names = {}) {
        h.reset();
        h = std::make_unique<Handler>();
        EXPECT_EQ(h->Init(folder, names), S_OK);
        h->Query();
    }

    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};
    std::string dataFile = dll.dir + "FolderList.dat";
    std::unique_ptr<Handler> h;
};

inline FolderEntry Plain(const std::string& name, const std::string& path) { return {name, path, false, false}; }

// A visible top-level test window of its own class, registered with `proc`
// on first use.
struct HostWindow {
    HWND hwnd;
    explicit HostWindow(const char* className, WNDPROC proc = DefWindowProcA);
    ~HostWindow() { DestroyWindow(hwnd); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
};

// Handlers whose commands are carried out: a list of "Target" (offset 8),
// "Other" (9) and "Gone" (10, a folder that does not exist).
class InvokeTest : public ShellextTest {
protected:
    void SetUp() override;

    const std::string target = MakeDirs("Target"), other = MakeDirs("Other");
};

}  // namespace wayleap::test

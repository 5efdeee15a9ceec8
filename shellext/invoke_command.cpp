// SkipdoorCMH::InvokeCommand: the add and configure commands, and sending the
// window the menu was opened in to a folder - an Explorer window browses in
// place, a file dialog gets the folder typed into its file-name box (which a
// timer puts back afterwards), anything else opens the folder in a new window.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <set>
#include <string>

#include "core/menu_plan.h"
#include "core/window_class.h"
#include "shellext/add_dialog.h"
#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "win/code_page.h"

namespace wayleap::shellext {
namespace {

constexpr UINT kGetShellBrowser = WM_USER + 7;  // 0x0407: Explorer windows answer with their IShellBrowser
constexpr UINT_PTR kRestoreTimer = 256;
constexpr int kFileNameEdit = 1152;   // edt1: file-name box of the old-style dialog
constexpr int kFileNameCombo = 1148;  // cmb13: file-name box of the Explorer-style dialog

// What the file-name box held before navigation; one per process, as there is
// one navigation at a time on the shell's thread. A folder whose name the
// ANSI code page cannot hold is typed in UTF-16, and the box's text is then
// kept in UTF-16 too.
std::array<char, MAX_PATH + 1> g_savedText = {};
std::array<wchar_t, MAX_PATH + 1> g_savedWideText = {};

// Boxes with a restore timer still to fire. Each holds one module lock, so
// the DLL that holds the timer procedure stays loaded until it has run.
CRITICAL_SECTION g_timerLock;
std::set<HWND>* g_pendingTimers = nullptr;

void TimerSet(HWND box) {
    EnterCriticalSection(&g_timerLock);
    if (!g_pendingTimers) g_pendingTimers = new std::set<HWND>();
    // Setting the timer again for the same box replaces it: one lock per box.
    if (g_pendingTimers->insert(box).second) Module::Lock();
    LeaveCriticalSection(&g_timerLock);
}

void TimerDone(HWND box) {
    EnterCriticalSection(&g_timerLock);
    if (g_pendingTimers && g_pendingTimers->erase(box) > 0) Module::Unlock();
    LeaveCriticalSection(&g_timerLock);
}

void KeyDown(HWND window, WPARAM key, bool post) {
    if (post) {
        PostMessageA(window, WM_KEYDOWN, key, 1);
    } else {
        SendMessageA(window, WM_KEYDOWN, key, 1);
    }
}

void SaveBoxText(HWND box) {
    g_savedText.fill('\0');
    SendMessageA(box, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(g_savedText.data()));
}

// What every restore ends with, once the box has its text back: the focus,
// the whole text selected, and the one-shot timer gone.
void EndRestore(HWND box, UINT_PTR id) {
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
    KillTimer(box, id);
    TimerDone(box);
}

void CALLBACK PlainRestore(HWND box, UINT, UINT_PTR id, DWORD) {
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_savedText.data()));
    EndRestore(box, id);
}

void CALLBACK WideRestore(HWND box, UINT, UINT_PTR id, DWORD) {
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_savedWideText.data()));
    EndRestore(box, id);
}

void CALLBACK ConvertingRestore(HWND box, UINT, UINT_PTR id, DWORD) {
    if (IsWindowUnicode(box)) {
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_savedText.data()));
    } else {
        const std::wstring wide = AnsiToWide(g_savedText.data());
        if (!wide.empty()) SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    EndRestore(box, id);
}

void StartRestoreTimer(HWND box, UINT delay, TIMERPROC proc) {
    TimerSet(box);
    if (!SetTimer(box, kRestoreTimer, delay, proc)) TimerDone(box);
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    return GetClassNameA(window, name, sizeof name) > 0 ? std::string(name) : std::string();
}

// The IShellBrowser a window answers message 0x0407 with, or null. Windows
// that are not browsers may answer anything - a ComboBoxEx32 answers with its
// edit box, since 0x0407 is also CBEM_GETEDITCONTROL - and a browser of
// another process cannot be called here at all.
IShellBrowser* ShellBrowserOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    const LRESULT reply = SendMessageA(window, kGetShellBrowser, 0, 0);
    if (reply == 0 || IsWindow(reinterpret_cast<HWND>(reply))) return nullptr;
    return reinterpret_cast<IShellBrowser*>(reply);
}

struct RichEditSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindVisibleRichEdit(HWND child, LPARAM param) {
    char name[256] = {};
    if (GetClassNameA(child, name, sizeof name) > 0 && lstrcmpiA(name, "RichEdit20W") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) {
        reinterpret_cast<RichEditSearch*>(param)->found = child;
        return FALSE;
    }
    return TRUE;
}

// The shell's allocator, the desktop folder and the folder's id list; all
// given back when the navigation ends, whichever way it ends.
struct ResolvedFolder {
    ComPtr<IMalloc> malloc;
    PIDLIST_ABSOLUTE pidl = nullptr;
    ~ResolvedFolder() {
        if (pidl && malloc) malloc->Free(pidl);
    }
};

enum class Resolution { Found, NotFound, Failed };

Resolution Resolve(HWND owner, std::wstring wide, ResolvedFolder& folder) {
    if (FAILED(SHGetMalloc(folder.malloc.put()))) return Resolution::Failed;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) return Resolution::Failed;

    // A path whose UTF-16 form does not fit MAX_PATH is not looked for.
    if (wide.empty() || wide.size() > MAX_PATH) return Resolution::NotFound;

    ULONG attributes = SFGAO_FOLDER | SFGAO_VALIDATE;
    PIDLIST_RELATIVE pidl = nullptr;
    if (FAILED(desktop->ParseDisplayName(owner, nullptr, &wide[0], nullptr, &pidl, &attributes)) || !pidl) {
        return Resolution::NotFound;
    }
    folder.pidl = static_cast<PIDLIST_ABSOLUTE>(pidl);
    return (attributes & SFGAO_FOLDER) ? Resolution::Found : Resolution::NotFound;
}

}  // namespace

void InitNavigationLock() { InitializeCriticalSection(&g_timerLock); }
void DeleteNavigationLock() { DeleteCriticalSection(&g_timerLock); }

STDMETHODIMP Handler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return Guarded([&]() -> HRESULT {
        if (!Active()) return S_OK;
        if (!info || !info->hwnd) return E_INVALIDARG;
        // Verbs as strings are not accepted. An offset has nothing above its
        // low word; in 64-bit code HIWORD would look at bits 16-31 only and
        // take a string above 4 GiB for an offset.
        if (!IS_INTRESOURCE(info->lpVerb)) return E_INVALIDARG;
        const UINT_PTR verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
        const UINT offset = LOWORD(verb);
        HWND invoker = info->hwnd;

        if (offset == kOffsetAdd) {
            // A Unicode dialog, so that its name box holds whatever is typed
            // or pasted, and a name the code page cannot hold is seen and refused.
            DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(IDD_ADD_FOLDER), invoker, AddFolderDialogProc,
                            reinterpret_cast<LPARAM>(this));
            return S_OK;
        }
        if (offset == kOffsetConfigure) return StartConfigurationProgram();
        if (offset < kFirstFolderOffset || offset - kFirstFolderOffset >= commandPaths_.size()) return E_INVALIDARG;
        const std::string path(commandPaths_.Path(offset - kFirstFolderOffset, folders_));
        // A sub-folder whose name the code page cannot hold goes by its true
        // path everywhere; `path` then only approximates it.
        const bool wideOnly = !commandPaths_.WidePath(offset - kFirstFolderOffset).empty();
        const std::wstring widePath = WideCommandPath(offset - kFirstFolderOffset);

        ResolvedFolder folder;
        switch (Resolve(invoker, widePath, folder)) {
        case Resolution::Failed: return E_FAIL;
        case Resolution::NotFound:
            ShowModuleMessage(invoker, IDS_FOLDER_NOT_FOUND, IDS_ERROR_CAPTION, MB_ICONHAND);
            return E_FAIL;
        case Resolution::Found: break;
        }

        // The nearest window, from the invoking one up, that is of a known kind.
        HWND target = nullptr;
        WindowKind kind = WindowKind::None;
        for (HWND window = invoker; window; window = GetParent(window)) {
            kind = ClassifyWindowClass(ClassOf(window));
            if (kind != WindowKind::None) {
                target = window;
                break;
            }
        }

        switch (kind) {
        case WindowKind::Explorer:
            if (IShellBrowser* browser = ShellBrowserOf(target)) browser->BrowseObject(folder.pidl, SBSP_SAMEBROWSER);
            break;
        case WindowKind::StandardDialog: {
            HWND box = GetDlgItem(target, kFileNameEdit);
            if (!box) box = GetDlgItem(target, kFileNameCombo);
            if (!box) break;
            // Only a Unicode box can take a true name the code page cannot
            // hold; any other would get the look-alike and open another
            // folder, or none. A Unicode box's own text is kept in UTF-16, so
            // that a file name the user typed there comes back whole.
            const bool unicodeBox = IsWindowUnicode(box) != FALSE;
            if (wideOnly && !unicodeBox) {
                ShowModuleMessage(invoker, IDS_BOX_TAKES_NO_NAME, IDS_ERROR_CAPTION, MB_ICONHAND);
                return E_FAIL;
            }
            if (unicodeBox) {
                g_savedWideText.fill(L'\0');
                SendMessageW(box, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(g_savedWideText.data()));
            } else {
                SaveBoxText(box);
            }
            if (wideOnly) {
                SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widePath.c_str()));
            } else {
                SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            }
            SetFocus(box);
            KeyDown(target, VK_RETURN, true);
            StartRestoreTimer(box, timerDelay_, unicodeBox ? WideRestore : PlainRestore);
            break;
        }
        case WindowKind::OfficeDialog: {
            RichEditSearch search;
            EnumChildWindows(target, FindVisibleRichEdit, reinterpret_cast<LPARAM>(&search));
            HWND box = search.found;
            if (!box) return E_FAIL;
            SaveBoxText(box);
            // The path and one extra letter, which the box's own Backspace
            // handling then removes, leaving exactly the path.
            const bool unicodeBox = IsWindowUnicode(box) != FALSE;
            if (wideOnly && unicodeBox) {
                const std::wstring text = widePath + L'C';
                SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            } else if (unicodeBox) {
                const std::string text = path + "C";
                SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            } else {
                // These boxes take UTF-16 text even from SendMessageA.
                const std::wstring text = widePath + L'C';
                SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
            KeyDown(target, VK_TAB, false);
            KeyDown(box, VK_END, false);
            KeyDown(box, VK_BACK, false);
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(box, WM_KEYUP, VK_RETURN, 1);
            StartRestoreTimer(box, timerDelay_, ConvertingRestore);
            break;
        }
        case WindowKind::Desktop:
        case WindowKind::None:
            if (IShellBrowser* browser = ShellBrowserOf(invoker)) {
                browser->BrowseObject(folder.pidl, SBSP_SAMEBROWSER);
            } else {
                if (wideOnly) {
                    ShellExecuteW(target, L"open", widePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                } else {
                    ShellExecuteA(target, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                }
            }
            break;
        }
        return S_OK;
    });
}

// Starts Wayleap.exe from the DLL's directory, without arguments, and does not wait.
HRESULT Handler::StartConfigurationProgram() {
    const std::string& program = Module::ProgramPath();
    if (program.empty()) return E_FAIL;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return E_FAIL;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return S_OK;
}

}  // namespace wayleap::shellext

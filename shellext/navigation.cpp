// Sending the window a context menu was opened in to a folder. The ways are
// tried in this order, and the first that works ends the navigation:
//  1. the shell browser of the view's site (Explorer windows and every kind
//     of file dialog, Save dialogs and folder pickers included);
//  2. the shell browser that a shell-browser window answers message 0x0407
//     with (Explorer frames, the Explorer-style Open dialog, windows hosting
//     a shell view), checked before it is used;
//  3. for a standard dialog that is not a folder picker, its file-name box:
//     the folder typed in the way the dialog notices, OK pressed, and the
//     user's own text put back by a restore timer;
//  4. an Office-style dialog's RichEdit box;
//  5. anywhere else, the folder opens in a new window.
// A dialog that none of them could move is reported to the user.
#include "shellext/navigation.h"

#include <shellapi.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <map>
#include <utility>
#include <vector>

#include "core/window_class.h"
#include "shellext/com_util.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "win/code_page.h"

namespace wayleap::shellext {
namespace {

constexpr UINT kGetShellBrowser = WM_USER + 7;  // 0x0407: shell browsers answer with their IShellBrowser
constexpr UINT kBrowseHere = SBSP_SAMEBROWSER | SBSP_ABSOLUTE;
constexpr int kFileNameEdit = 1152;   // edt1: the old-style dialog's box, Wine's item dialog's
constexpr int kFileNameCombo = 1148;  // cmb13: the Explorer-style dialog's box
constexpr int kComboEdit = 1001;      // the edit box inside every drop-down combo box
constexpr std::size_t kLongestChain = 64;

// ---------------------------------------------------------------------------
// Restore timers: what a box held before navigation, put back once the
// dialog has taken the folder. Each pending timer holds one module lock, so
// the DLL that holds the timer procedure stays loaded until it has run. The
// timers belong to the thread, not to the box: a dialog closed before its
// timer fires still ends the timer and gives the lock back.

enum class RestoreWay {
    Notifying,   // a file dialog's box: replaced as if typed, so the dialog notices
    Converting,  // an Office-style dialog's box: WM_SETTEXT, UTF-16 into an ANSI box
};

struct PendingRestore {
    HWND box = nullptr;
    RestoreWay way = RestoreWay::Notifying;
    bool unicode = false;  // the text is kept in `wide`, else in `ansi`
    std::string ansi;
    std::wstring wide;
};

CRITICAL_SECTION g_timerLock;
std::map<UINT_PTR, PendingRestore>* g_pending = nullptr;  // by thread timer id

// The whole text of a box, however long.
template <typename Text, typename Send>
Text TextOf(HWND box, Send send) {
    const LRESULT length = send(box, WM_GETTEXTLENGTH, 0, 0);
    Text text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT copied = send(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}
std::string AnsiText(HWND box) { return TextOf<std::string>(box, SendMessageA); }
std::wstring WideText(HWND box) { return TextOf<std::wstring>(box, SendMessageW); }

// Replaces the whole text of an edit box as typing would: the box reports
// the change to its parent (EN_CHANGE; a combo box passes it on as
// CBN_EDITCHANGE), which WM_SETTEXT does not do in every dialog.
void ReplaceText(HWND edit, bool unicode, const std::string& ansi, const std::wstring& wide) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    if (unicode) {
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    } else {
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ansi.c_str()));
    }
}

void CALLBACK RestoreTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PendingRestore restore;
    bool known = false;
    EnterCriticalSection(&g_timerLock);
    if (g_pending) {
        const auto found = g_pending->find(id);
        if (found != g_pending->end()) {
            restore = std::move(found->second);
            g_pending->erase(found);
            known = true;
        }
    }
    LeaveCriticalSection(&g_timerLock);
    if (!known) return;

    if (IsWindow(restore.box)) {
        if (restore.way == RestoreWay::Notifying) {
            ReplaceText(restore.box, restore.unicode, restore.ansi, restore.wide);
        } else if (IsWindowUnicode(restore.box)) {
            SendMessageA(restore.box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(restore.ansi.c_str()));
        } else {
            // These boxes take UTF-16 text even from SendMessageA; an empty
            // text is not written back.
            const std::wstring wide = AnsiToWide(restore.ansi);
            if (!wide.empty()) SendMessageA(restore.box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        SetFocus(restore.box);
        SendMessageA(restore.box, EM_SETSEL, 0, -1);
    }
    Module::Unlock();
}

void StartRestoreTimer(PendingRestore restore, UINT delay) {
    Module::Lock();
    EnterCriticalSection(&g_timerLock);
    const UINT_PTR id = SetTimer(nullptr, 0, delay, RestoreTimer);
    if (id) {
        if (!g_pending) g_pending = new std::map<UINT_PTR, PendingRestore>();
        (*g_pending)[id] = std::move(restore);
    }
    LeaveCriticalSection(&g_timerLock);
    if (!id) Module::Unlock();
}

// ---------------------------------------------------------------------------
// Shell browsers

std::string ClassOf(HWND window) {
    char name[256] = {};
    return GetClassNameA(window, name, sizeof name) > 0 ? std::string(name) : std::string();
}

bool BrowseThroughSite(IUnknown* site, PCIDLIST_ABSOLUTE pidl) {
    ComPtr<IServiceProvider> services;
    if (!site || FAILED(site->QueryInterface(IID_IServiceProvider, services.put_void())) || !services) return false;
    for (const GUID* service : {&SID_STopLevelBrowser, &SID_SShellBrowser}) {
        ComPtr<IShellBrowser> browser;
        if (SUCCEEDED(services->QueryService(*service, IID_IShellBrowser, browser.put_void())) && browser &&
            SUCCEEDED(browser->BrowseObject(pidl, kBrowseHere))) {
            return true;
        }
    }
    return false;
}

// Whether the file dialog around the site picks folders: there, OK accepts
// the folder typed into the box and closes the dialog instead of going there.
bool IsFolderPicker(IUnknown* site) {
    ComPtr<IServiceProvider> services;
    if (!site || FAILED(site->QueryInterface(IID_IServiceProvider, services.put_void())) || !services) return false;
    ComPtr<IFileDialog> dialog;
    FILEOPENDIALOGOPTIONS options = 0;
    return SUCCEEDED(services->QueryService(SID_SExplorerBrowserFrame, IID_IFileDialog, dialog.put_void())) &&
           dialog && SUCCEEDED(dialog->GetOptions(&options)) && (options & FOS_PICKFOLDERS);
}

bool Committed(const void* at, std::size_t bytes, DWORD protections) {
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(at, &info, sizeof info) || info.State != MEM_COMMIT) return false;
    if ((info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || !(info.Protect & protections)) return false;
    return static_cast<const char*>(at) + bytes <= static_cast<const char*>(info.BaseAddress) + info.RegionSize;
}

// Whether a reply to 0x0407 can be an interface pointer whose methods may be
// called: not a small number, not a window handle, aligned, in readable
// memory, with a table of methods whose entries point at code.
bool LooksLikeShellBrowser(LRESULT reply) {
    const auto value = static_cast<UINT_PTR>(reply);
    if (value < 0x10000 || value % sizeof(void*) != 0 || IsWindow(reinterpret_cast<HWND>(reply))) return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    constexpr DWORD kCode = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const auto object = reinterpret_cast<void* const*>(value);
    if (!Committed(object, sizeof(void*), kReadable)) return false;
    const auto methods = static_cast<void* const*>(*object);
    // IUnknown (3), IOleWindow (2) and IShellBrowser (13); BrowseObject is
    // the 12th entry, QueryActiveShellView the 16th.
    constexpr std::size_t kMethods = 18, kBrowseObject = 11, kQueryActiveShellView = 15;
    if (reinterpret_cast<UINT_PTR>(methods) % sizeof(void*) != 0 ||
        !Committed(methods, kMethods * sizeof(void*), kReadable)) {
        return false;
    }
    return Committed(methods[kBrowseObject], 1, kCode) && Committed(methods[kQueryActiveShellView], 1, kCode);
}

// The IShellBrowser a shell-browser window answers message 0x0407 with, when
// it is one: its active view's window must be a shell view inside `window`.
// A browser of another process cannot be called here at all. No reference is
// taken on the browser.
IShellBrowser* ShellBrowserOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    const LRESULT reply = SendMessageA(window, kGetShellBrowser, 0, 0);
    if (!LooksLikeShellBrowser(reply)) return nullptr;
    auto* browser = reinterpret_cast<IShellBrowser*>(reply);
    ComPtr<IShellView> view;
    HWND viewWindow = nullptr;
    if (FAILED(browser->QueryActiveShellView(view.put())) || !view || FAILED(view->GetWindow(&viewWindow))) {
        return nullptr;
    }
    return IsChild(window, viewWindow) && ClassOf(viewWindow) == kShellViewClass ? browser : nullptr;
}

// ---------------------------------------------------------------------------
// File-name boxes

// The edit box of a file-name box: the box itself when it is an edit box,
// else the one inside its combo box (ComboBoxEx32 > ComboBox > Edit).
HWND EditOf(HWND box) {
    const std::string name = ClassOf(box);
    if (name == "Edit") return box;
    if (name == "ComboBoxEx32") box = FindWindowExA(box, nullptr, "ComboBox", nullptr);
    else if (name != "ComboBox") return nullptr;
    return box ? FindWindowExA(box, nullptr, "Edit", nullptr) : nullptr;
}

// Windows Vista to 11 put the Save dialog's name box deep inside its
// DirectUI pane: #32770 > DUIViewWndClassName > DirectUIHWND >
// FloatNotifySink > ComboBox > Edit (1001). The file-type box beside it is a
// drop-down list, a ComboBox without an Edit, so it never matches.
const char* const kSaveBoxPath[] = {"DUIViewWndClassName", "DirectUIHWND", "FloatNotifySink", "ComboBox"};

HWND FindAlongPath(HWND parent, std::size_t depth) {
    if (depth == std::size(kSaveBoxPath)) {
        HWND edit = FindWindowExA(parent, nullptr, "Edit", nullptr);
        return edit && GetDlgCtrlID(edit) == kComboEdit ? edit : nullptr;
    }
    for (HWND child = FindWindowExA(parent, nullptr, kSaveBoxPath[depth], nullptr); child;
         child = FindWindowExA(parent, child, kSaveBoxPath[depth], nullptr)) {
        if (HWND edit = FindAlongPath(child, depth + 1)) return edit;
    }
    return nullptr;
}

// The edit box a file dialog takes its file name from, or null.
HWND FileNameEdit(HWND dialog) {
    for (const int id : {kFileNameEdit, kFileNameCombo}) {
        if (HWND box = GetDlgItem(dialog, id)) {
            if (HWND edit = EditOf(box)) return edit;
        }
    }
    return FindAlongPath(dialog, 0);
}

enum class Outcome { Moved, NotMoved, Refused };  // Refused: the user was told why

// Types the folder into the dialog's file-name box and presses OK; the
// dialog goes to a folder typed there. The user's own text comes back from
// the restore timer.
Outcome TypeIntoFileNameBox(HWND dialog, HWND invoker, const FolderToShow& folder, UINT delay) {
    HWND edit = FileNameEdit(dialog);
    if (!edit || !IsWindowVisible(edit) || !IsWindowEnabled(edit)) return Outcome::NotMoved;
    // Only a Unicode box can take a true name the code page cannot hold; any
    // other would get the look-alike and open another folder, or none.
    PendingRestore saved{edit, RestoreWay::Notifying, IsWindowUnicode(edit) != FALSE, {}, {}};
    if (folder.wideOnly && !saved.unicode) {
        ShowModuleMessage(invoker, IDS_BOX_TAKES_NO_NAME, IDS_ERROR_CAPTION, MB_ICONHAND);
        return Outcome::Refused;
    }
    if (saved.unicode) saved.wide = WideText(edit);
    else saved.ansi = AnsiText(edit);
    ReplaceText(edit, saved.unicode, folder.path, folder.widePath);
    // With the focus in the box, OK acts on its text, not on an item selected in the view.
    SetFocus(edit);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    StartRestoreTimer(std::move(saved), delay);
    return Outcome::Moved;
}

BOOL CALLBACK FindVisibleRichEdit(HWND child, LPARAM param) {
    char name[256] = {};
    if (GetClassNameA(child, name, sizeof name) > 0 && lstrcmpiA(name, "RichEdit20W") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

void KeyDown(HWND window, WPARAM key) { SendMessageA(window, WM_KEYDOWN, key, 1); }

// An Office-style dialog's name box is its first visible RichEdit: the path
// and one extra letter go in, the box's own Backspace handling removes the
// letter, and Enter confirms.
Outcome TypeIntoOfficeBox(HWND dialog, const FolderToShow& folder, UINT delay) {
    HWND box = nullptr;
    EnumChildWindows(dialog, FindVisibleRichEdit, reinterpret_cast<LPARAM>(&box));
    if (!box) return Outcome::NotMoved;
    PendingRestore saved{box, RestoreWay::Converting, false, AnsiText(box), {}};
    const bool unicodeBox = IsWindowUnicode(box) != FALSE;
    if (folder.wideOnly && unicodeBox) {
        const std::wstring text = folder.widePath + L'C';
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (unicodeBox) {
        const std::string text = folder.path + "C";
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        // These boxes take UTF-16 text even from SendMessageA.
        const std::wstring text = folder.widePath + L'C';
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    KeyDown(dialog, VK_TAB);
    KeyDown(box, VK_END);
    KeyDown(box, VK_BACK);
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(box, WM_KEYUP, VK_RETURN, 1);
    StartRestoreTimer(std::move(saved), delay);
    return Outcome::Moved;
}

void OpenInNewWindow(HWND owner, const FolderToShow& folder) {
    if (folder.wideOnly) {
        ShellExecuteW(owner, L"open", folder.widePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        ShellExecuteA(owner, "open", folder.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

}  // namespace

void InitNavigationLock() { InitializeCriticalSection(&g_timerLock); }
void DeleteNavigationLock() { DeleteCriticalSection(&g_timerLock); }
void FreeNavigationState() { delete std::exchange(g_pending, nullptr); }

HRESULT Navigate(HWND invoker, IUnknown* site, const FolderToShow& folder, UINT restoreDelay) {
    if (!IsWindow(invoker)) return E_FAIL;  // closed between the menu and the click
    if (BrowseThroughSite(site, folder.pidl)) return S_OK;

    // The clicked window and the windows above it (parents, then owners).
    std::vector<HWND> windows;
    std::vector<std::string> classes;
    std::vector<ChainWindow> chain;
    for (HWND window = invoker; window && windows.size() < kLongestChain; window = GetParent(window)) {
        windows.push_back(window);
        classes.push_back(ClassOf(window));
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const bool hostsView = FindWindowExA(windows[i], nullptr, kShellViewClass.data(), nullptr) != nullptr;
        const bool isChild = (GetWindowLongA(windows[i], GWL_STYLE) & WS_CHILD) != 0;
        chain.push_back({classes[i], hostsView, isChild});
    }
    const NavigationPlan plan = PlanNavigation(chain);

    for (const std::size_t i : plan.browsers) {
        if (IShellBrowser* browser = ShellBrowserOf(windows[i])) {
            if (SUCCEEDED(browser->BrowseObject(folder.pidl, kBrowseHere))) return S_OK;
        }
    }

    Outcome outcome = Outcome::NotMoved;
    switch (plan.kind) {
    case WindowKind::StandardDialog:
        if (!IsFolderPicker(site)) outcome = TypeIntoFileNameBox(windows[plan.dialog], invoker, folder, restoreDelay);
        break;
    case WindowKind::OfficeDialog:
        outcome = TypeIntoOfficeBox(windows[plan.target], folder, restoreDelay);
        break;
    case WindowKind::Explorer:
    case WindowKind::Desktop:
    case WindowKind::None:
        OpenInNewWindow(plan.target == kNoWindow ? nullptr : windows[plan.target], folder);
        return S_OK;
    }
    if (outcome == Outcome::Moved) return S_OK;
    if (outcome == Outcome::NotMoved) ShowModuleMessage(invoker, IDS_DIALOG_NOT_MOVED, IDS_ERROR_CAPTION, MB_ICONHAND);
    return E_FAIL;
}

}  // namespace wayleap::shellext

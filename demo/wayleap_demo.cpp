// Shows an installed Wayleap at work, the way a user meets it, and leaves the
// evidence in one folder: pictures of Wayleap.exe's three pages (the menu is
// switched on there, on the General page), the context menu of a right-click
// on a folder background in both styles (as text trees and as pictures of the
// menu open on screen), and an Open dialog and a Save dialog with a typed
// file name sent to a favourite folder.
//
//   wayleap_demo.exe OUTPUT_DIR LIST_FILE BACKGROUND_FOLDER
//
// The handler is made from the class registration as Windows' merged view of
// the classes gives it (the user's classes first), so it is the installed
// SkipdoorCM.dll that runs; its directory is the
// installation, where LIST_FILE is copied as FolderList.dat. Pictures are BMP
// files; tools/demo.sh turns them into PNG.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "config/resource_ids.h"
#include "core/registry_names.h"
#include "demo/screenshot.h"
#include "skipdoorcm.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_driver.h"
#include "win/code_page.h"
#include "win/registry_classes.h"
#include "win/settings.h"
#include "win/unique_handle.h"

using wayleap::test::FindProcessDialog;
using wayleap::test::MessageBoxText;
using wayleap::test::PumpFor;
using wayleap::test::PumpUntil;
using wayleap::demo::SaveScreenshot;
using wayleap::test::StartProcess;
using wayleap::test::TimerScript;

namespace {

constexpr char kSheetCaption[] = "Wayleap Configuration";
constexpr UINT kFirstId = 1;           // the first command id the host lends the handler
constexpr UINT kLastId = 0x7FFF;
constexpr int kExplorerFileName = 1148;

std::string g_out;  // output directory, with a trailing backslash
int g_failures = 0;

void Say(const char* format, const std::string& text = {}) {
    std::printf(format, text.c_str());
    std::printf("\n");
    std::fflush(stdout);
}

void Fail(const std::string& what) {
    std::printf("FAILED: %s\n", what.c_str());
    std::fflush(stdout);
    ++g_failures;
}

// ---------------------------------------------------------------------------
// The installation, as the class registration names it.

// The DLL the installation registered, found as Windows' merged view of the
// classes gives it to this program; `where` receives the key it was read from.
std::string InstalledDllPath(std::string& where) {
    const std::string value = wayleap::RegisteredServer(wayleap::kHandlerClsidText, &where);
    char longPath[MAX_PATH + 1] = {};
    if (value.empty() || GetLongPathNameA(value.c_str(), longPath, MAX_PATH) == 0) return value;
    return longPath;
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// ---------------------------------------------------------------------------
// Wayleap.exe: its three pages, and the menu switched on from the General page.

void Picture(const std::string& name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpFor(300);
    if (SaveScreenshot(g_out + name + ".bmp", window)) {
        Say("  picture %s.png", name);
    } else {
        Fail("picture " + name);
    }
}

void ConfigureWithWayleapExe(const std::string& installDir) {
    Say("Wayleap.exe: the configuration program, started from %s", installDir);
    DWORD processId = 0;
    const wayleap::unique_file process = StartProcess("\"" + installDir + "Wayleap.exe\"", installDir, &processId);
    if (!process) {
        Fail("cannot start " + installDir + "Wayleap.exe");
        return;
    }
    HWND sheet = nullptr;
    if (!PumpUntil([&] { return (sheet = FindProcessDialog(processId, kSheetCaption)) != nullptr; }, 20000)) {
        Fail("the configuration sheet did not appear");
        TerminateProcess(process.get(), 1);
        return;
    }
    SetWindowPos(sheet, HWND_TOP, 60, 60, 0, 0, SWP_NOSIZE);
    PumpFor(500);

    HWND general = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND enable = GetDlgItem(general, IDC_ENABLE);
    if (SendMessageA(enable, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(enable, BM_CLICK, 0, 0);
    Picture("config-1-general", sheet);
    const char* pages[] = {"config-2-folders", "config-3-about"};
    for (int i = 0; i < 2; ++i) {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i + 1), 0);
        Picture(pages[i], sheet);
    }
    SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    if (WaitForSingleObject(process.get(), 5000) == WAIT_TIMEOUT) {
        // A list Wayleap.exe could not read whole is never saved over: it says
        // so and keeps the sheet open. The settings are written all the same.
        if (HWND box = FindProcessDialog(processId, nullptr, sheet)) {
            std::printf("  Wayleap.exe did not save over this list; it says: \"%s\"\n",
                        MessageBoxText(box).c_str());
            Picture("config-4-message", box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            PumpFor(500);
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        }
        if (WaitForSingleObject(process.get(), 5000) == WAIT_TIMEOUT) {
            Fail("Wayleap.exe did not end after OK");
            TerminateProcess(process.get(), 1);
            return;
        }
    }
    if (wayleap::ReadSettings().enabled) {
        Say("  the menu is switched on (General page, OK)");
    } else {
        Fail("the menu is not switched on after OK on the General page");
    }
}

// ---------------------------------------------------------------------------
// A context menu made by the installed handler, as the shell makes one.

struct Menu {
    IShellExtInit* init = nullptr;
    IContextMenu3* handler = nullptr;
    HMENU popup = nullptr;
    ~Menu() {
        if (popup) DestroyMenu(popup);
        if (handler) handler->Release();
        if (init) init->Release();
    }
};

PIDLIST_ABSOLUTE IdListOf(const std::string& folder) {
    std::wstring wide(folder.begin(), folder.end());
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &pidl, 0, nullptr))) return nullptr;
    return pidl;
}

// Items the host puts in a background menu around the handler's own.
void AddHostItems(HMENU popup) {
    const char* items[] = {"View", "Sort by", "Refresh", nullptr, "Paste", "Paste shortcut",
                           nullptr, "New", nullptr, "Properties"};
    UINT id = 0x8000;
    for (const char* text : items) {
        AppendMenuA(popup, text ? MF_STRING : MF_SEPARATOR, text ? id++ : 0, text);
    }
}
constexpr UINT kHandlerPosition = 6;  // after "Paste shortcut"

bool MakeMenu(Menu& menu, const std::string& folder, bool withHostItems) {
    HRESULT hr = wayleap::test::CreateRegisteredObject(wayleap::kHandlerClsidText, IID_IShellExtInit,
                                                       reinterpret_cast<void**>(&menu.init));
    if (FAILED(hr)) {
        Fail("making the registered handler");
        return false;
    }
    menu.init->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&menu.handler));
    PIDLIST_ABSOLUTE pidl = IdListOf(folder);
    hr = menu.init->Initialize(pidl, nullptr, nullptr);
    CoTaskMemFree(pidl);
    if (FAILED(hr) || !menu.handler) {
        Fail("Initialize on " + folder);
        return false;
    }
    menu.popup = CreatePopupMenu();
    if (withHostItems) AddHostItems(menu.popup);
    hr = menu.handler->QueryContextMenu(menu.popup, withHostItems ? kHandlerPosition : 0, kFirstId, kLastId,
                                        CMF_NORMAL);
    if (FAILED(hr)) {
        Fail("QueryContextMenu");
        return false;
    }
    return true;
}

// The handler's help text or verb for a command offset; nothing when it has none.
std::optional<std::string> CommandString(IContextMenu3* handler, UINT offset, UINT type) {
    char text[1024] = {};
    if (FAILED(handler->GetCommandString(offset, type, nullptr, text, sizeof text))) return std::nullopt;
    return std::string(text);
}

// A reply as the tree shows it: quoted, or "-" when the handler gives none.
std::string Reply(IContextMenu3* handler, UINT offset, UINT type) {
    const std::optional<std::string> text = CommandString(handler, offset, type);
    return text ? "\"" + *text + "\"" : "-";
}

// Writes the menu as an indented tree: text, command offset, state, help text
// and verb of every item. Popups are opened the way the shell opens them, with
// WM_INITMENUPOPUP passed to the handler first.
void WriteTree(Menu& menu, HMENU popup, int depth, std::string& out) {
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP | MIIM_CHECKMARKS;
        item.dwTypeData = text;
        item.cch = sizeof text - 1;
        GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &item);
        std::string line(static_cast<std::size_t>(depth) * 4, ' ');
        if (item.fType & MFT_SEPARATOR) {
            out += line + "--------\n";
            continue;
        }
        const bool ours = item.wID >= kFirstId && item.wID <= kLastId;
        line += text;
        if (line.size() < 44) line.resize(44, ' ');
        char detail[64];
        if (ours) {
            std::snprintf(detail, sizeof detail, "  offset %-3u", item.wID - kFirstId);
        } else {
            std::snprintf(detail, sizeof detail, "  %-10s", item.hSubMenu ? "" : "(host)");
        }
        line += detail;
        line += (item.fState & MFS_GRAYED) ? "  grayed " : "  enabled";
        if (item.fState & MFS_CHECKED) line += " checked";
        if (item.hbmpItem || item.hbmpChecked) line += " picture";
        if (item.hSubMenu) line += " popup";
        if (ours) {
            const UINT offset = item.wID - kFirstId;
            line += "  help " + Reply(menu.handler, offset, GCS_HELPTEXTA);
            line += "  verb " + Reply(menu.handler, offset, GCS_VERBA);
        }
        out += line + "\n";
        if (item.hSubMenu) {
            LRESULT ignored = 0;
            menu.handler->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(item.hSubMenu),
                                         MAKELPARAM(i, FALSE), &ignored);
            WriteTree(menu, item.hSubMenu, depth + 1, out);
        }
    }
}

// The way to the first popup, and inside it to its first popup: in the
// sub-menu style "Wayleap" and its first expanded entry, directly in the menu
// the first expanded entry.
std::vector<int> PathToFirstPopups(HMENU popup) {
    std::vector<int> path;
    for (int depth = 0; popup && depth < 2; ++depth) {
        HMENU next = nullptr;
        for (int i = 0; i < GetMenuItemCount(popup) && !next; ++i) {
            if ((next = GetSubMenu(popup, i)) != nullptr) path.push_back(i);
        }
        popup = next;
    }
    return path;
}

// Moves the pointer onto item `position` of the open popup `menu`, through the
// same input queue as the mouse's; the menu opens the item's popup as it would
// for a user.
bool PointAt(HMENU menu, int position) {
    RECT item;
    if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item)) return false;
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = ((item.left + item.right) / 2) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ((item.top + item.bottom) / 2) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof input) == 1;
}

RECT ScreenAreaOf(HWND host) {
    RECT area;
    GetWindowRect(host, &area);
    HWND menuWindow = nullptr;
    while ((menuWindow = FindWindowExA(nullptr, menuWindow, "#32768", nullptr)) != nullptr) {
        if (!IsWindowVisible(menuWindow)) continue;
        RECT r;
        GetWindowRect(menuWindow, &r);
        UnionRect(&area, &area, &r);
    }
    InflateRect(&area, 8, 8);
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, GetSystemMetrics(SM_CXSCREEN));
    area.bottom = std::min<LONG>(area.bottom, GetSystemMetrics(SM_CYSCREEN));
    return area;
}

IContextMenu3* g_hostHandler = nullptr;  // the handler whose menu the host window shows

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
        if (g_hostHandler) {
            LRESULT result = 0;
            if (SUCCEEDED(g_hostHandler->HandleMenuMsg2(message, wParam, lParam, &result))) return result;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        char title[MAX_PATH + 64] = {};
        GetWindowTextA(window, title, sizeof title - 1);
        RECT r;
        GetClientRect(window, &r);
        InflateRect(&r, -12, -12);
        DrawTextA(dc, "Right-click on the background of this folder.", -1, &r, DT_LEFT | DT_TOP);
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Opens the menu on screen with TrackPopupMenu at `at`, points at the items of
// `path` one level after the other (each opening its popup) and takes a
// picture of `owner` with the open menus.
bool PictureOfOpenMenu(Menu& menu, HWND owner, POINT at, const std::vector<int>& path, const std::string& name) {
    HMENU level = menu.popup;
    std::size_t next = 0;
    bool taken = false;
    g_hostHandler = menu.handler;
    TimerScript script({
        [&] {
            if (next < path.size()) {
                PointAt(level, path[next]);
                level = GetSubMenu(level, path[next++]);
            }
            return next >= path.size();
        },
        [&] { return true; },  // let the last popup draw
        [&] {
            taken = SaveScreenshot(g_out + name + ".bmp", ScreenAreaOf(owner));
            EndMenu();
            return true;
        },
    }, 15000, 250);
    TrackPopupMenu(menu.popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner,
                   nullptr);
    script.RunToEnd();
    g_hostHandler = nullptr;
    if (taken) {
        Say("  picture %s.png (the menu open on screen)", name);
    } else {
        Fail("picture " + name);
    }
    return taken;
}

void ShowMenu(const std::string& folder, bool submenu) {
    const char* style = submenu ? "submenu-style" : "direct-style";
    wayleap::WriteSettings({true, submenu});
    Say("Context menu of a right-click on the background of %s", folder);
    std::printf("  style: %s\n", submenu ? "all items in one \"Wayleap\" sub-menu" : "items directly in the menu");
    Menu menu;
    if (!MakeMenu(menu, folder, true)) return;
    std::string tree = "Context menu of a right-click on the background of " + folder + " (" +
                       (submenu ? "sub-menu style" : "direct style") +
                       "); offsets are command ids minus the first id the host lent; (host) marks the "
                       "host's own items.\n\n";
    WriteTree(menu, menu.popup, 1, tree);
    std::printf("%s", tree.c_str());
    if (!wayleap::test::WriteBytes(g_out + "menu-" + style + ".txt", tree)) Fail("writing the menu tree");
    Say("  text tree menu-%s.txt", style);

    // A window standing for the folder's window, with the menu of a
    // right-click on its background open down to the first sub-folder popup.
    HWND host = CreateWindowExA(0, "WayleapDemoHost", folder.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 760,
                                560, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(host);
    PumpFor(300);
    PictureOfOpenMenu(menu, host, {120, 140}, PathToFirstPopups(menu.popup), std::string("menu-") + style);
    DestroyWindow(host);
}

// ---------------------------------------------------------------------------
// A folder command carried out in a real Open dialog.

UINT FirstFolderCommand(Menu& menu, HMENU popup, const std::string& notHere) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        if (HMENU sub = GetSubMenu(popup, i)) {
            if (UINT found = FirstFolderCommand(menu, sub, notHere)) return found;
            continue;
        }
        const UINT id = GetMenuItemID(popup, i);
        if (id < kFirstId + 8 || id > kLastId) continue;
        const std::string path = CommandString(menu.handler, id - kFirstId, GCS_HELPTEXTA).value_or("");
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            lstrcmpiA(path.c_str(), notHere.c_str()) != 0) {
            return id;
        }
    }
    return 0;
}

// The positions that lead to the item with command id `id`.
bool PathToCommand(HMENU popup, UINT id, std::vector<int>& path) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        path.push_back(i);
        HMENU sub = GetSubMenu(popup, i);
        if (sub ? PathToCommand(sub, id, path) : GetMenuItemID(popup, i) == id) return true;
        path.pop_back();
    }
    return false;
}

// The menu of a right-click on the background of `shown` in `dialog`, with
// `site` as the view's site: opened on screen (picture `picture`) down to its
// first folder command that leads elsewhere, which is then carried out.
// `target` receives that folder; empty when the list has none here.
HRESULT ChooseFolderCommand(Menu& menu, HWND dialog, HWND view, const std::string& shown, const char* picture,
                            std::string& target, IUnknown* site = nullptr) {
    if (!MakeMenu(menu, shown, false)) return E_FAIL;
    const UINT id = FirstFolderCommand(menu, menu.popup, shown);
    if (!id) return E_FAIL;
    target = CommandString(menu.handler, id - kFirstId, GCS_HELPTEXTA).value_or("");
    IObjectWithSite* withSite = nullptr;
    if (site && SUCCEEDED(menu.handler->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)))) {
        withSite->SetSite(site);
        withSite->Release();
    }
    RECT area;
    GetWindowRect(view ? view : dialog, &area);
    std::vector<int> path;
    PathToCommand(menu.popup, id, path);
    PictureOfOpenMenu(menu, dialog, {area.left + 120, area.top + 40}, path, picture);
    Say("  chosen: the folder command for %s", target);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = view ? view : dialog;
    info.lpVerb = MAKEINTRESOURCEA(id - kFirstId);
    info.nShow = SW_SHOWNORMAL;
    return menu.handler->InvokeCommand(&info);
}

std::string FolderShown(HWND dialog) {
    char buffer[MAX_PATH + 1] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void NavigateOpenDialog(const std::string& startFolder) {
    Say("An Open dialog (comdlg32) showing %s", startFolder);
    wayleap::WriteSettings({true, true});
    const char* title = "Open - Wayleap demo";
    HWND dialog = nullptr;
    std::string before, after, target, fileNameAfter;
    HRESULT invoked = E_UNEXPECTED;
    Menu menu;
    TimerScript script({
        [&] {
            dialog = FindWindowA("#32770", title);
            if (!dialog) return false;
            SetWindowPos(dialog, HWND_TOP, 60, 60, 0, 0, SWP_NOSIZE);
            before = FolderShown(dialog);
            return true;
        },
        [&] {
            Picture("open-dialog-1-before", dialog);
            return true;
        },
        [&] {
            HWND view = FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr);
            invoked = ChooseFolderCommand(menu, dialog, view, FolderShown(dialog), "open-dialog-2-menu", target);
            return true;
        },
        [&] { return true; },  // the dialog goes to the folder; the restore timer runs
        [&] {
            after = FolderShown(dialog);
            char name[MAX_PATH + 1] = {};
            GetDlgItemTextA(dialog, kExplorerFileName, name, MAX_PATH);
            fileNameAfter = name;
            Picture("open-dialog-3-after", dialog);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    }, 15000, 400);
    char file[MAX_PATH + 1] = "report.txt";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "All files\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = startFolder.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    GetOpenFileNameA(&ofn);
    if (target.empty()) {
        Say("  no folder of this list exists here, so there is nowhere to send the dialog");
        return;
    }
    std::printf("  before: %s\n  after:  %s (InvokeCommand 0x%08lX); file-name box: \"%s\"\n", before.c_str(),
                after.c_str(), static_cast<unsigned long>(invoked), fileNameAfter.c_str());
    // "<This Folder>" items name their folder with a trailing backslash.
    if (target.size() > 3 && target.back() == '\\') target.pop_back();
    if (invoked != S_OK || lstrcmpiA(after.c_str(), target.c_str()) != 0) Fail("the Open dialog did not go there");
}

// A folder command carried out in a real Save dialog (the item dialog that
// "Save As" shows), with a file name typed in: the dialog goes to the folder
// and the name stays. The handler gets the dialog's own browser as its site,
// as the dialog's view gives it.
void NavigateSaveDialog(const std::string& startFolder) {
    const wchar_t* typed = L"report 2026.txt";
    Say("A Save dialog (IFileSaveDialog) showing %s, with \"report 2026.txt\" typed as the file name", startFolder);
    IFileDialog* dialog = nullptr;
    IShellItem* start = nullptr;
    const std::wstring wideStart = wayleap::AnsiToWide(startFolder);
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                reinterpret_cast<void**>(&dialog))) ||
        FAILED(SHCreateItemFromParsingName(wideStart.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&start)))) {
        Fail("cannot make a Save dialog");
        if (dialog) dialog->Release();
        return;
    }
    dialog->SetFolder(start);
    start->Release();
    dialog->SetFileName(typed);
    dialog->SetTitle(L"Save As - Wayleap demo");
    HWND window = nullptr;
    std::string before, after, target;
    std::wstring nameAfter;
    HRESULT invoked = E_UNEXPECTED;
    Menu menu;
    TimerScript script({
        [&] {
            window = FindWindowA("#32770", "Save As - Wayleap demo");
            if (!window) return false;
            SetWindowPos(window, HWND_TOP, 60, 60, 0, 0, SWP_NOSIZE);
            before = wayleap::test::FolderOf(dialog);
            return true;
        },
        [&] {
            Picture("save-dialog-1-before", window);
            return true;
        },
        [&] {
            // Wine's Save dialog holds its view in a browser control, which
            // answers 0x0407 with the dialog's browser: the view's site.
            HWND control = FindWindowExA(window, nullptr, "ExplorerBrowserControl", nullptr);
            HWND view = control ? FindWindowExA(control, nullptr, "SHELLDLL_DefView", nullptr) : nullptr;
            auto* site = control ? reinterpret_cast<IUnknown*>(SendMessageA(control, WM_USER + 7, 0, 0)) : nullptr;
            invoked = ChooseFolderCommand(menu, window, view, before, "save-dialog-2-menu", target, site);
            return true;
        },
        [&] { return true; },  // the dialog goes to the folder
        [&] {
            after = wayleap::test::FolderOf(dialog);
            nameAfter = wayleap::test::FileNameOf(dialog);
            Picture("save-dialog-3-after", window);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    }, 15000, 400);
    dialog->Show(nullptr);
    dialog->Release();
    if (target.empty()) {
        Say("  no folder of this list exists here, so there is nowhere to send the dialog");
        return;
    }
    std::printf("  before: %s\n  after:  %s (InvokeCommand 0x%08lX); file name: \"%ls\"\n", before.c_str(),
                after.c_str(), static_cast<unsigned long>(invoked), nameAfter.c_str());
    if (target.size() > 3 && target.back() == '\\') target.pop_back();
    if (invoked != S_OK || lstrcmpiA(after.c_str(), target.c_str()) != 0) Fail("the Save dialog did not go there");
    if (nameAfter != typed) Fail("the Save dialog lost its file name");
}

}  // namespace

int main(int argc, char** argv) {
    // --without-wayleap-exe: where only 64-bit programs run, the i686
    // Wayleap.exe cannot, and the menu is switched on directly instead.
    const bool withWayleapExe = !(argc == 5 && std::strcmp(argv[4], "--without-wayleap-exe") == 0);
    if (argc != 4 && withWayleapExe) {
        std::fprintf(stderr, "usage: wayleap_demo OUTPUT_DIR LIST_FILE BACKGROUND_FOLDER [--without-wayleap-exe]\n");
        return 2;
    }
    g_out = wayleap::test::WinePath(argv[1]);
    if (g_out.back() != '\\') g_out += '\\';
    const std::string listFile = wayleap::test::WinePath(argv[2]);
    const std::string background = wayleap::test::WinePath(argv[3]);
    CreateDirectoryA(g_out.c_str(), nullptr);
    OleInitialize(nullptr);
    InitCommonControls();

    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = GetModuleHandleA(nullptr);
    host.hCursor = LoadCursor(nullptr, IDC_ARROW);
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    host.lpszClassName = "WayleapDemoHost";
    RegisterClassA(&host);

    std::string where;
    const std::string dll = InstalledDllPath(where);
    if (dll.empty()) {
        Fail("SkipdoorCM is not registered: run the installer first");
        return 1;
    }
    const std::string installDir = DirectoryOf(dll);
    Say(where.rfind("HKCU", 0) == 0 ? "Installed for this user alone: %s" : "Installed for every user: %s", dll);
    Say("  registered in %s", where);
    if (!CopyFileA(listFile.c_str(), (installDir + "FolderList.dat").c_str(), FALSE)) {
        Fail("cannot copy " + listFile + " into " + installDir);
        return 1;
    }
    Say("  FolderList.dat from %s", listFile);

    if (withWayleapExe) {
        ConfigureWithWayleapExe(installDir);
    } else if (wayleap::WriteSettings({true, true}).ok()) {
        Say("Wayleap.exe is not shown (a 32-bit program); the menu is switched on directly");
    } else {
        Fail("cannot switch the menu on");
    }
    ShowMenu(background, true);
    ShowMenu(background, false);
    NavigateOpenDialog(background);
    NavigateSaveDialog(background);

    OleUninitialize();
    if (g_failures) std::printf("%d step(s) failed\n", g_failures);
    return g_failures ? 1 : 0;
}

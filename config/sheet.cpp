// The configuration sheet: three pages, OK / Cancel / Apply, no Help.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "win/module_file.h"

namespace wayleap::config {
namespace {

HINSTANCE g_module = nullptr;
SheetCreated g_onCreated = nullptr;

// Moved to a monitor of another scale, the sheet takes the place and size
// Windows suggests; its pages then adjust (WM_DPICHANGED_AFTERPARENT).
LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_DPICHANGED && lParam) {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(sheet, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(sheet, SheetProc, 1);
    return DefSubclassProc(sheet, message, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED) return 0;
    SetWindowSubclass(sheet, SheetProc, 1, 0);
    if (g_onCreated) g_onCreated(sheet);
    return 0;
}

HPROPSHEETPAGE MakePage(HINSTANCE module, int templateId, UINT titleId, DLGPROC proc, LPARAM param) {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = module;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pszTitle = MAKEINTRESOURCEA(titleId);
    page.pfnDlgProc = proc;
    page.lParam = param;
    return CreatePropertySheetPageA(&page);
}

}  // namespace

HINSTANCE ResourceModule() { return g_module; }
void UseResourceModule(HINSTANCE module) { g_module = module; }

std::string LoadProgramString(UINT id) { return LoadStringFrom(g_module, id); }

int ShowTableMessage(HWND owner, UINT textId, UINT captionId, UINT style) {
    return ShowStringTableMessage(g_module, owner, textId, captionId, style);
}

INT_PTR ShowConfigurationSheet(ProgramState& state, HWND owner, SheetCreated onCreated) {
    g_module = state.module;
    g_onCreated = onCreated;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    HPROPSHEETPAGE pages[] = {
        MakePage(state.module, IDD_GENERAL, IDS_TAB_GENERAL, GeneralPageProc, 0),
        MakePage(state.module, IDD_FOLDERS, IDS_TAB_FOLDERS, FoldersPageProc, reinterpret_cast<LPARAM>(&state)),
        MakePage(state.module, IDD_ABOUT, IDS_TAB_ABOUT, AboutPageProc, 0),
    };
    const std::string caption = LoadProgramString(IDS_SHEET_CAPTION);

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_USEICONID | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = state.module;
    header.pszIcon = MAKEINTRESOURCEA(IDI_WAYLEAP);
    header.pszCaption = caption.c_str();
    header.nPages = 3;
    header.nStartPage = 0;
    header.phpage = pages;
    header.pfnCallback = SheetCallback;
    const INT_PTR result = PropertySheetA(&header);
    g_onCreated = nullptr;
    return result;
}

}  // namespace wayleap::config

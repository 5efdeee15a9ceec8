// The General page: switch the menu on or off and choose its style.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "win/settings.h"

namespace wayleap::config {
namespace {

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void OnInit(HWND page) {
    const Settings settings = ReadSettings();
    CheckDlgButton(page, IDC_ENABLE, settings.enabled ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_STYLE_SUBMENU, settings.submenu ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_STYLE_DIRECT, settings.submenu ? BST_UNCHECKED : BST_CHECKED);
}

// Writes the settings from the controls. Enabling or disabling that did not
// happen (no rights under HKEY_CLASSES_ROOT) is told, not shown as done.
void OnApply(HWND page, HWND sheet) {
    Settings settings;
    settings.enabled = Checked(page, IDC_ENABLE);
    settings.submenu = Checked(page, IDC_STYLE_SUBMENU);
    const SettingsWriteResult result = WriteSettings(settings);
    if (!result.shellKeys) {
        ShowTableMessage(page, IDS_NEEDS_ADMIN, IDS_ERROR_CAPTION, MB_ICONHAND);
        CheckDlgButton(page, IDC_ENABLE, ReadSettings().enabled ? BST_CHECKED : BST_UNCHECKED);
    }
    PropSheet_UnChanged(sheet, page);
}

}  // namespace

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_ENABLE:
        case IDC_STYLE_SUBMENU:
        case IDC_STYLE_DIRECT: PropSheet_Changed(GetParent(page), page); return TRUE;
        default: return FALSE;
        }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        LONG_PTR result = 0;
        if (header->code == PSN_APPLY) {
            OnApply(page, header->hwndFrom);
            result = PSNRET_NOERROR;
        }
        SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default: return FALSE;
    }
}

}  // namespace wayleap::config

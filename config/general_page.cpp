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

// Writes what the controls changed (OK writes nothing when only folders were
// edited), then shows the settings as they truly are. What did not happen is
// told, never shown as done.
void OnApply(HWND page, HWND sheet) {
    Settings settings;
    settings.enabled = Checked(page, IDC_ENABLE);
    settings.submenu = Checked(page, IDC_STYLE_SUBMENU);
    const SettingsWriteResult result = WriteSettings(settings);
    if (!result.shellKeys) ShowTableMessage(page, IDS_SWITCH_FAILED, IDS_ERROR_CAPTION, MB_ICONHAND);
    if (result.machineKeysLeft) ShowTableMessage(page, IDS_SWITCHED_ON_FOR_ALL, IDS_ERROR_CAPTION, MB_ICONHAND);
    if (!result.menuStyle) ShowTableMessage(page, IDS_STYLE_FAILED, IDS_ERROR_CAPTION, MB_ICONHAND);
    if (!result.ok()) OnInit(page);
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

// The About page: icon, version and two link labels (web site and e-mail)
// drawn in blue with an underlined font and a hand cursor.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "win/dpi.h"

namespace wayleap::config {
namespace {

constexpr char kWebSite[] = "https://wayleap.example/";
constexpr char kMailTo[] = "mailto:hello@wayleap.example";
constexpr char kOldProcProperty[] = "WayleapLinkOldProc";

struct AboutState {
    HFONT linkFont = nullptr;
    HCURSOR hand = nullptr;
};

AboutState* StateOf(HWND page) { return reinterpret_cast<AboutState*>(GetWindowLongPtrA(page, DWLP_USER)); }

// Each label keeps its previous window procedure as a window property, so
// one replacement procedure serves both.
LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(label, kOldProcProperty));
    if (message == WM_MOUSEMOVE) {
        if (AboutState* state = StateOf(GetParent(label))) SetCursor(state->hand);
        return 0;
    }
    return previous ? CallWindowProcA(previous, label, message, wParam, lParam)
                    : DefWindowProcA(label, message, wParam, lParam);
}

// The links' font: the page's own, underlined, so that it scales with the
// page; made again when the page's scale changes.
void UseLinkFont(HWND page, AboutState& state) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfUnderline = TRUE;
    HFONT previous = state.linkFont;
    state.linkFont = CreateFontIndirectA(&font);
    for (int id : {IDC_WEB_LINK, IDC_MAIL_LINK}) {
        SendMessageA(GetDlgItem(page, id), WM_SETFONT, reinterpret_cast<WPARAM>(state.linkFont), TRUE);
    }
    if (previous) DeleteObject(previous);
}

void OnInit(HWND page) {
    auto* state = new AboutState();
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    state->hand = LoadCursorA(ResourceModule(), MAKEINTRESOURCEA(IDR_HAND_CURSOR));
    for (int id : {IDC_WEB_LINK, IDC_MAIL_LINK}) {
        HWND label = GetDlgItem(page, id);
        SetPropA(label, kOldProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(label, GWLP_WNDPROC)));
        SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkLabelProc));
    }
    UseLinkFont(page, *state);
}

// The labels get their own procedures back before the font they use is deleted.
void OnDestroy(HWND page) {
    for (int id : {IDC_WEB_LINK, IDC_MAIL_LINK}) {
        HWND label = GetDlgItem(page, id);
        if (HANDLE previous = GetPropA(label, kOldProcProperty)) {
            SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropA(label, kOldProcProperty);
        }
    }
    AboutState* state = StateOf(page);
    SetWindowLongPtrA(page, DWLP_USER, 0);
    if (state && state->linkFont) DeleteObject(state->linkFont);
    delete state;
}

}  // namespace

INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(page);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id != IDC_WEB_LINK && id != IDC_MAIL_LINK) return FALSE;
        // Blue text on whatever the page shows behind it: with visual styles
        // the page is lighter than the button-face colour, which would leave
        // a grey box around each link.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != STN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDC_WEB_LINK) {
            ShellExecuteA(page, "open", kWebSite, nullptr, nullptr, SW_SHOWNORMAL);
        } else if (LOWORD(wParam) == IDC_MAIL_LINK) {
            ShellExecuteA(page, "open", kMailTo, nullptr, nullptr, SW_SHOWNORMAL);
        } else {
            return FALSE;
        }
        return TRUE;
    case WM_NOTIFY:
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);  // nothing to save
        return TRUE;
    case WM_DPICHANGED_AFTERPARENT:
        if (AboutState* state = StateOf(page)) UseLinkFont(page, *state);
        return FALSE;
    case WM_DESTROY:
        OnDestroy(page);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace wayleap::config

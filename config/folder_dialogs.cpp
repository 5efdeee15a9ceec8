// The Add and Modify dialogs: name a newly chosen folder as a new row, or
// edit every field of an existing row. Both write the rows only; the page
// saves on apply.
#include <windows.h>
#include <commctrl.h>

#include <new>
#include <optional>
#include <string>

#include "config/config_app.h"
#include "config/folder_rows_view.h"
#include "config/resource_ids.h"
#include "core/ansi_text.h"
#include "core/folder_rows.h"
#include "win/code_page.h"
#include "win/entry_places.h"

namespace wayleap::config {
namespace {

constexpr int kFieldLimit = 260;

struct AddRequest {
    std::string path;
    HWND list = nullptr;
};

struct ModifyRequest {
    HWND list = nullptr;
    int row = 0;
};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The field's text in the ANSI code page, at most 260 bytes of it; nullopt
// when the code page cannot hold it exactly. Read in UTF-16 (the dialogs are
// Unicode windows), so that a typed or pasted character outside the code
// page is seen rather than turned into "?" or a look-alike.
std::optional<std::string> FieldOf(HWND dialog, int id) {
    wchar_t buffer[kFieldLimit + 1] = {};
    GetDlgItemTextW(dialog, id, buffer, kFieldLimit + 1);
    const std::optional<std::string> text = WideToAnsiExact(buffer);
    if (!text) return std::nullopt;
    return std::string(CutAtCharBoundary(*text, kFieldLimit, SystemLeadBytes()));
}

void Refuse(HWND dialog, UINT textId, UINT captionId, int field) {
    ShowTableMessage(dialog, textId, captionId, MB_ICONHAND);
    SetFocus(GetDlgItem(dialog, field));
}

INT_PTR CALLBACK AddDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<AddRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        request = reinterpret_cast<AddRequest*>(lParam);
        if (!request || request->path.empty() || !request->list) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetDlgItemTextA(dialog, IDC_ADD_PATH, request->path.c_str());
        HWND name = GetDlgItem(dialog, IDC_ADD_NAME);
        SendMessageA(name, EM_LIMITTEXT, kFieldLimit, 0);
        SetWindowTextA(name, request->path.c_str());
        SendMessageA(name, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (!request) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_ADD_EXPAND:
            if (HIWORD(wParam) == BN_CLICKED) EnableWindow(GetDlgItem(dialog, IDC_ADD_SORT), Checked(dialog, IDC_ADD_EXPAND));
            return TRUE;
        case IDOK: {
            const std::optional<std::string> field = FieldOf(dialog, IDC_ADD_NAME);
            if (!field) {
                Refuse(dialog, IDS_NAME_NOT_STORABLE, IDS_ADD_CAPTION, IDC_ADD_NAME);
                return TRUE;
            }
            const std::string& typed = *field;
            switch (CheckAddName(typed)) {
            case FieldProblem::None: break;
            case FieldProblem::EmptyName: SetFocus(GetDlgItem(dialog, IDC_ADD_NAME)); return TRUE;
            case FieldProblem::NameHasLineBreak: Refuse(dialog, IDS_NAME_LINE_BREAK, IDS_ADD_CAPTION, IDC_ADD_NAME); return TRUE;
            default: Refuse(dialog, IDS_NAME_EMPTY, IDS_ADD_CAPTION, IDC_ADD_NAME); return TRUE;
            }
            const FolderRow row{TrimBlanks(typed), request->path, FlagText(Checked(dialog, IDC_ADD_EXPAND)),
                                FlagText(Checked(dialog, IDC_ADD_SORT))};
            InsertRow(request->list, RowCount(request->list), row);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

INT_PTR CALLBACK ModifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<ModifyRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        request = reinterpret_cast<ModifyRequest*>(lParam);
        if (!request || !request->list) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SendDlgItemMessageA(dialog, IDC_MODIFY_NAME, EM_LIMITTEXT, kFieldLimit, 0);
        SendDlgItemMessageA(dialog, IDC_MODIFY_PATH, EM_LIMITTEXT, kFieldLimit, 0);
        const FolderRow row = ReadRow(request->list, request->row);
        SetDlgItemTextA(dialog, IDC_MODIFY_NAME, row.name.c_str());
        SetDlgItemTextA(dialog, IDC_MODIFY_PATH, row.path.c_str());
        const bool expand = FlagFromText(row.expand);
        CheckDlgButton(dialog, IDC_MODIFY_EXPAND, expand ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, IDC_MODIFY_SORT), expand);
        CheckDlgButton(dialog, IDC_MODIFY_SORT, FlagFromText(row.sort) ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageA(dialog, IDC_MODIFY_NAME, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (!request) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_MODIFY_EXPAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                EnableWindow(GetDlgItem(dialog, IDC_MODIFY_SORT), Checked(dialog, IDC_MODIFY_EXPAND));
            }
            return TRUE;
        case IDOK: {
            const std::optional<std::string> nameField = FieldOf(dialog, IDC_MODIFY_NAME);
            if (!nameField) {
                Refuse(dialog, IDS_NAME_NOT_STORABLE, IDS_MODIFY_CAPTION, IDC_MODIFY_NAME);
                return TRUE;
            }
            const std::optional<std::string> pathField = FieldOf(dialog, IDC_MODIFY_PATH);
            if (!pathField) {
                Refuse(dialog, IDS_PATH_NOT_STORABLE, IDS_MODIFY_CAPTION, IDC_MODIFY_PATH);
                return TRUE;
            }
            const std::string &name = *nameField, &path = *pathField;
            // The file cannot hold a line break in either field, nor "|" in a path.
            switch (CheckModifyFields(name, path, SystemLeadBytes())) {
            case FieldProblem::None: break;
            case FieldProblem::EmptyName:
            case FieldProblem::BlankName: Refuse(dialog, IDS_NAME_EMPTY, IDS_MODIFY_CAPTION, IDC_MODIFY_NAME); return TRUE;
            case FieldProblem::BlankPath: Refuse(dialog, IDS_PATH_EMPTY, IDS_MODIFY_CAPTION, IDC_MODIFY_PATH); return TRUE;
            case FieldProblem::NameHasLineBreak:
                Refuse(dialog, IDS_NAME_LINE_BREAK, IDS_MODIFY_CAPTION, IDC_MODIFY_NAME);
                return TRUE;
            case FieldProblem::PathHasLineBreakOrBar:
                Refuse(dialog, IDS_PATH_BAD_CHAR, IDS_MODIFY_CAPTION, IDC_MODIFY_PATH);
                return TRUE;
            }
            // A path with environment variables must lead to a folder path here.
            if (PlaceHere(TrimBlanks(path)).kind == EntryPlace::Kind::Missing) {
                Refuse(dialog, IDS_PATH_NO_FOLDER, IDS_MODIFY_CAPTION, IDC_MODIFY_PATH);
                return TRUE;
            }
            WriteRow(request->list, request->row,
                     FolderRow{TrimBlanks(name), TrimBlanks(path), FlagText(Checked(dialog, IDC_MODIFY_EXPAND)),
                               FlagText(Checked(dialog, IDC_MODIFY_SORT))});
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

// Unicode dialogs: their boxes hold whatever is typed or pasted, where an
// ANSI box would already have turned it into the code page's look-alikes.
INT_PTR ShowAddDialog(HWND owner, HWND list, const std::string& path) {
    AddRequest request{path, list};
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_ADD), owner, AddDialogProc,
                           reinterpret_cast<LPARAM>(&request));
}

INT_PTR ShowModifyDialog(HWND owner, HWND list, int row) {
    ModifyRequest request{list, row};
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_MODIFY), owner, ModifyDialogProc,
                           reinterpret_cast<LPARAM>(&request));
}

}  // namespace wayleap::config

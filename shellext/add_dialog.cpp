// The add-folder dialog: proposes the last selected folder, takes a name and
// the two flags, appends the entry to the handler's list and saves the list.
#include "shellext/add_dialog.h"

#include <optional>
#include <string>
#include <utility>

#include "core/ansi_text.h"
#include "shellext/handler.h"
#include "shellext/module.h"
#include "shellext/resource_ids.h"
#include "win/code_page.h"
#include "win/entry_places.h"
#include "win/list_file_io.h"

namespace wayleap::shellext {
namespace {

constexpr int kNameLimit = MAX_PATH;  // characters a name may have

struct AddDialogState {
    Handler* handler = nullptr;
    std::string path;
};

void ShowError(HWND owner, UINT textId) { ShowModuleMessage(owner, textId, IDS_ERROR_CAPTION, MB_ICONHAND); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

BOOL OnInit(HWND dialog, Handler* handler) {
    if (!handler || handler->Selection().empty()) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    // A folder whose path the code page holds only as a look-alike would be
    // stored as a path that leads nowhere, or elsewhere.
    if (!handler->Selection().back().storable) {
        ShowError(dialog, IDS_PATH_NOT_STORABLE);
        EndDialog(dialog, 0);
        return TRUE;
    }
    // A list that was not read whole must not be saved over: the entries
    // never read would be lost.
    if (!MaySaveOver(handler->FolderListStatus())) {
        ShowError(dialog, IDS_LIST_NOT_READ);
        EndDialog(dialog, 0);
        return TRUE;
    }
    auto* state = new AddDialogState{handler, std::string()};
    // At most 260 bytes of the path, never half a double-byte character.
    state->path = std::string(CutAtCharBoundary(handler->Selection().back().path, MAX_PATH, SystemLeadBytes()));
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));

    SetDlgItemTextA(dialog, IDC_ADD_PATH, state->path.c_str());
    HWND name = GetDlgItem(dialog, IDC_ADD_NAME);
    SendMessageA(name, EM_LIMITTEXT, kNameLimit, 0);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state->path.c_str()));
    SendMessageA(name, EM_SETSEL, 0, -1);
    return TRUE;  // the focus goes to the name box, the first tab stop
}

void OnAdd(HWND dialog, AddDialogState& state) {
    // Read in UTF-16, so that a typed or pasted character the code page
    // cannot hold is seen, not turned into "?" or a look-alike.
    wchar_t buffer[kNameLimit + 1] = {};
    GetDlgItemTextW(dialog, IDC_ADD_NAME, buffer, kNameLimit + 1);
    const std::optional<std::string> typed = WideToAnsiExact(buffer);
    if (!typed) {
        ShowError(dialog, IDS_NAME_NOT_STORABLE);
        SetFocus(GetDlgItem(dialog, IDC_ADD_NAME));
        return;  // the dialog stays open for another name
    }
    // At most 260 bytes, as the name box gave them before.
    const std::string name = TrimBlanks(CutAtCharBoundary(*typed, kNameLimit, SystemLeadBytes()));
    if (name.empty()) {
        EndDialog(dialog, 0);  // an empty or blank name adds nothing
        return;
    }
    const FolderEntry added{name, state.path, IsChecked(dialog, IDC_ADD_EXPAND), IsChecked(dialog, IDC_ADD_SORT)};
    FolderList updated = state.handler->LoadedFolders();
    std::string read = state.handler->ListBytes();
    // The list as the menu read it, unless another program (Wayleap.exe, or
    // another menu) changed the file since: then the entry goes after what
    // the file holds now, and nothing anyone saved is lost.
    for (int attempt = 0; attempt < 3; ++attempt) {
        updated.Append(added);
        std::string written;
        const SaveStatus saved = SaveFolderList(Module::DataFilePath(), updated, &read, &written);
        if (saved == SaveStatus::Saved) {
            state.handler->FoldersSaved(std::move(written));
            EndDialog(dialog, IDOK);
            return;
        }
        if (saved != SaveStatus::Changed) {
            ShowError(dialog, saved == SaveStatus::TooLarge ? IDS_LIST_FULL : IDS_SAVE_FAILED);
            return;  // the file stays as it was; the dialog stays open so the user may try again
        }
        updated.Clear();
        if (!MaySaveOver(LoadFolderList(Module::DataFilePath(), updated, &read))) {
            ShowError(dialog, IDS_LIST_NOT_READ);
            return;
        }
        for (const FolderEntry& entry : updated) {
            // An entry that names variables is listed when it leads to this folder here.
            const EntryPlace place = PlaceHere(entry.path);
            if (IsSameFolder(entry.path, &place, added.path, true, {})) {
                ShowError(dialog, IDS_ALREADY_LISTED);
                EndDialog(dialog, 0);
                return;
            }
        }
    }
    ShowError(dialog, IDS_SAVE_FAILED);
}

}  // namespace

INT_PTR CALLBACK AddFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AddDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    try {
        switch (message) {
        case WM_INITDIALOG: return OnInit(dialog, reinterpret_cast<Handler*>(lParam));
        case WM_COMMAND:
            if (!state) return FALSE;
            switch (LOWORD(wParam)) {
            case IDC_ADD_EXPAND:
                if (HIWORD(wParam) == BN_CLICKED) {
                    // The sort box keeps its mark while disabled.
                    EnableWindow(GetDlgItem(dialog, IDC_ADD_SORT), IsChecked(dialog, IDC_ADD_EXPAND));
                }
                return TRUE;
            case IDOK: OnAdd(dialog, *state); return TRUE;
            case IDCANCEL: EndDialog(dialog, 0); return TRUE;
            default: return FALSE;
            }
        case WM_DESTROY:
            delete state;
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            return FALSE;
        default: return FALSE;
        }
    } catch (...) {
        // Out of memory inside the shell: close without changes rather than unwind into it.
        EndDialog(dialog, 0);
        return TRUE;
    }
}

}  // namespace wayleap::shellext

// The Folders page: the folder list as rows of a list view - rename in place,
// Modify, Delete, Up, Down, Add a Folder... - rebuilt and saved on apply.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <array>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <commdlg.h>

#include "config/config_app.h"
#include "config/folder_rows_view.h"
#include "config/list_exchange.h"
#include "config/resource_ids.h"
#include "core/folder_rows.h"
#include "core/list_file.h"
#include "win/code_page.h"
#include "win/dpi.h"
#include "win/entry_places.h"
#include "win/list_file_io.h"

namespace wayleap::config {
namespace {

struct FoldersState {
    ProgramState* program = nullptr;
    HWND list = nullptr;
    LoadStatus load = LoadStatus::Missing;
    std::string read;          // the file's bytes as read, or as last saved; a save expects them there
    bool changed = false;      // the rows differ from the file: only then does OK or Apply save
    bool refusalTold = false;  // the user has been told the list is not saved over
};

FoldersState* StateOf(HWND page) { return reinterpret_cast<FoldersState*>(GetWindowLongPtrA(page, DWLP_USER)); }

void Changed(HWND page) {
    if (FoldersState* state = StateOf(page)) state->changed = true;
    PropSheet_Changed(GetParent(page), page);
}

// Widths for the list's DPI that show every header whole, the path column
// taking the rest of the client width, so that nothing scrolls sideways.
// Made when the rows are in (a vertical scroll bar narrows the client area)
// and again when the window moves to a monitor of another scale.
void FitColumns(HWND list) {
    std::array<int, 4> headers{};
    for (int i = 0; i < 4; ++i) {
        char text[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        headers[static_cast<std::size_t>(i)] =
            static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
    }
    RECT client = {};
    GetClientRect(list, &client);
    const std::array<int, 4> widths = ColumnWidths(client.right, static_cast<int>(WindowDpi(list)), headers);
    for (int i = 0; i < 4; ++i) SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), widths[static_cast<std::size_t>(i)]);
}

void AddColumn(HWND list, int index, UINT titleId, int width) {
    std::string title = LoadProgramString(titleId);
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = &title[0];
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// Reads the file and shows it in the rows. The load appends; the rows must
// show the file alone, also when the caller shows the sheet again with the
// list of an earlier run, or the list is read again.
void LoadRows(FoldersState& state) {
    ProgramState& program = *state.program;
    program.folders.Clear();
    state.load = LoadFolderList(program.dataFilePath, program.folders, &state.read);
    state.changed = false;
    SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(state.list, LVM_SETITEMCOUNT, program.folders.Count(), 0);
    int row = 0;
    for (const FolderEntry& entry : program.folders) InsertRow(state.list, row++, RowFromEntry(entry));
    FitColumns(state.list);
}

void OnInit(HWND page, ProgramState* program) {
    auto* state = new FoldersState();
    state->program = program;
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    HWND list = state->list = GetDlgItem(page, IDC_FOLDER_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    // Hovering a row tells where a path with environment variables leads here.
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
    const UINT titles[] = {IDS_COLUMN_NAME, IDS_COLUMN_PATH, IDS_COLUMN_EXPAND, IDS_COLUMN_SORT};
    for (int i = 0; i < 4; ++i) AddColumn(list, i, titles[i], 0);  // FitColumns sizes them

    LoadRows(*state);
}

void OnDelete(HWND page, FoldersState& state) {
    const std::vector<bool> selected = SelectedRows(state.list);
    std::size_t count = 0;
    for (bool s : selected) count += s ? 1 : 0;
    if (count == 0) return;
    const std::string question =
        DeleteQuestion(count, LoadProgramString(IDS_DELETE_ONE), LoadProgramString(IDS_DELETE_MANY));
    const std::string caption = LoadProgramString(IDS_DELETE_CAPTION);
    if (MessageBoxA(page, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;
    for (std::size_t row : RowsToDelete(selected)) {
        SendMessageA(state.list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
    Changed(page);
}

void OnMove(HWND page, FoldersState& state, bool up) {
    const std::vector<bool> selected = SelectedRows(state.list);
    const std::vector<RowSwap> swaps = up ? SwapsForUp(selected) : SwapsForDown(selected);
    for (const RowSwap& swap : swaps) SwapRows(state.list, static_cast<int>(swap.first), static_cast<int>(swap.second));
    if (!swaps.empty()) Changed(page);
}

// The shell's folder browser: file-system folders only.
PIDLIST_ABSOLUTE BrowseForFolder(HWND owner) {
    char displayName[MAX_PATH + 1] = {};
    const std::string title = LoadProgramString(IDS_BROWSE_TITLE);
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    return SHBrowseForFolderA(&info);
}

// The chosen folder's path is read in UTF-16, as the file system names it:
// one the ANSI code page cannot hold exactly is refused and nothing is
// added, instead of a "?" or look-alike path that would lead nowhere.
void OnAddFolder(HWND page, FoldersState& state) {
    PIDLIST_ABSOLUTE chosen = state.program->chooseFolder ? state.program->chooseFolder(page) : BrowseForFolder(page);
    if (!chosen) return;
    wchar_t wide[MAX_PATH + 1] = {};
    const bool found = SHGetPathFromIDListW(chosen, wide) != FALSE;
    CoTaskMemFree(chosen);
    if (!found || !*wide) return;
    const std::optional<std::string> path = WideToAnsiExact(wide);
    if (!path) {
        ShowTableMessage(page, IDS_PATH_NOT_STORABLE, IDS_ERROR_CAPTION, MB_ICONHAND);
        return;
    }
    if (path->size() > MAX_PATH) return;  // the list file cannot hold it, nor could the ANSI calls give it
    if (ShowAddDialog(page, state.list, *path) == IDOK) Changed(page);
}

// The standard Save or Open dialog for a list file; the chosen path, or
// nothing when the user cancelled.
std::wstring ChooseListFile(HWND owner, bool save) {
    std::wstring filter = ProgramText(IDS_EXCHANGE_FILTER);
    for (wchar_t& c : filter) c = c == L'|' ? L'\0' : c;
    const std::wstring title = ProgramText(save ? IDS_EXPORT_TITLE : IDS_IMPORT_TITLE);
    wchar_t file[MAX_PATH + 1] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"dat";
    ofn.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    return (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) ? std::wstring(file) : std::wstring();
}

std::wstring ChosenListFile(HWND page, FoldersState& state, bool save) {
    return state.program->chooseListFile ? state.program->chooseListFile(page, save) : ChooseListFile(page, save);
}

void Tell(HWND page, const std::wstring& text, UINT captionId, UINT style) {
    MessageBoxW(page, text.c_str(), ProgramText(captionId).c_str(), style);
}

// Writes the rows as they stand, saved or not, in the list file's format.
void OnExport(HWND page, FoldersState& state) {
    const std::wstring file = ChosenListFile(page, state, true);
    std::wstring refusal;
    if (!file.empty() && !ExportList(ListFromRows(ReadRows(state.list), SystemLeadBytes()), file, refusal)) {
        Tell(page, refusal, IDS_ERROR_CAPTION, MB_ICONHAND);
    }
}

INT_PTR CALLBACK ImportQuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(dialog, IDC_IMPORT_TEXT, reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    if (id == IDC_IMPORT_REPLACE || id == IDC_IMPORT_APPEND || id == IDCANCEL) EndDialog(dialog, id);
    return TRUE;
}

// A whole, valid list file replaces the rows, or adds those whose path no
// row has; as every change on the page, Apply or OK saves it. Anything else
// is refused with the reason, and the rows stay as they were.
void OnImport(HWND page, FoldersState& state) {
    const std::wstring file = ChosenListFile(page, state, false);
    if (file.empty()) return;
    const ImportFile import = ReadImportFile(file);
    if (!import.refusal.empty()) return Tell(page, import.refusal, IDS_ERROR_CAPTION, MB_ICONHAND);
    const std::wstring question = ProgramText(IDS_IMPORT_QUESTION, {file, std::to_wstring(import.entries.Count())});
    const INT_PTR answer = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_IMPORT), page, ImportQuestionProc,
                                           reinterpret_cast<LPARAM>(question.c_str()));
    if (answer != IDC_IMPORT_REPLACE && answer != IDC_IMPORT_APPEND) return;
    std::vector<FolderRow> rows;
    std::size_t skipped = 0;
    if (answer == IDC_IMPORT_APPEND) {
        rows = ReadRows(state.list);
        skipped = AppendUnlisted(rows, import.entries);
    } else {
        for (const FolderEntry& entry : import.entries) rows.push_back(RowFromEntry(entry));
    }
    if (SerializeFolderList(ListFromRows(rows, SystemLeadBytes()), SystemLeadBytes()).status == SerializeStatus::TooLarge) {
        return Tell(page, ProgramText(IDS_IMPORT_TOO_MANY, {file}), IDS_ERROR_CAPTION, MB_ICONHAND);
    }
    const int kept = answer == IDC_IMPORT_APPEND ? RowCount(state.list) : 0;
    if (answer == IDC_IMPORT_REPLACE) SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t row = static_cast<std::size_t>(kept); row < rows.size(); ++row) {
        InsertRow(state.list, static_cast<int>(row), rows[row]);
    }
    if (answer == IDC_IMPORT_REPLACE || rows.size() > static_cast<std::size_t>(kept)) Changed(page);
    FitColumns(state.list);
    if (skipped) {
        Tell(page,
             ProgramText(IDS_IMPORT_SKIPPED, {std::to_wstring(rows.size() - static_cast<std::size_t>(kept)),
                                              std::to_wstring(skipped)}),
             IDS_IMPORT_CAPTION, MB_ICONINFORMATION);
    }
}

// The tooltip of a row whose path names environment variables: where it leads here.
void OnInfoTip(FoldersState& state, NMLVGETINFOTIPA& tip) {
    if (!tip.pszText || tip.cchTextMax <= 0 || tip.iItem < 0) return;
    const std::string path = ReadRow(state.list, tip.iItem).path;
    const EntryPlace place = PlaceHere(path);
    if (place.kind == EntryPlace::Kind::AsStored) return;
    const std::wstring wide = place.kind == EntryPlace::Kind::Missing
                                  ? ProgramText(IDS_PATH_TIP_MISSING)
                                  : ProgramText(IDS_PATH_TIP, {AnsiToWide(place.path)});
    // The list view is an ANSI window: the code page's best form of the path.
    const std::string text = WideToAnsiBest(wide);
    const std::string_view cut = CutAtCharBoundary(text, static_cast<std::size_t>(tip.cchTextMax) - 1, SystemLeadBytes());
    std::copy(cut.begin(), cut.end(), tip.pszText);
    tip.pszText[cut.size()] = '\0';
}

void OnDoubleClick(HWND page, FoldersState& state) {
    const int focused = static_cast<int>(SendMessageA(state.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused < 0) return;
    if (ShowModifyDialog(page, state.list, focused) == IDOK) Changed(page);
}

// Rebuilds the list from the rows and saves it. A list that was not read
// whole is never saved over (the user is told once, and the rows stay);
// a failed save is told and keeps the sheet open with Apply enabled.
LONG_PTR OnApply(HWND page, FoldersState& state) {
    // The sheet asks every page it has shown; rows as read are not saved,
    // so a change another program made meanwhile stays.
    if (!state.changed) return PSNRET_NOERROR;
    if (!MaySaveOver(state.load)) {
        if (state.refusalTold) return PSNRET_NOERROR;
        state.refusalTold = true;
        ShowTableMessage(page, IDS_LIST_NOT_READ, IDS_ERROR_CAPTION, MB_ICONHAND);
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    FolderList rebuilt = ListFromRows(ReadRows(state.list), SystemLeadBytes());
    std::string written;
    SaveStatus saved = SaveFolderList(state.program->dataFilePath, rebuilt, &state.read, &written);
    if (saved == SaveStatus::Changed) {
        // Another program changed the file since it was read: the user chooses.
        switch (ShowTableMessage(page, IDS_LIST_CHANGED, IDS_SHEET_CAPTION, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:  // the changed list, without the page's changes
            LoadRows(state);
            PropSheet_UnChanged(GetParent(page), page);
            return PSNRET_INVALID_NOCHANGEPAGE;
        case IDNO: saved = SaveFolderList(state.program->dataFilePath, rebuilt, nullptr, &written); break;
        default: Changed(page); return PSNRET_INVALID_NOCHANGEPAGE;
        }
    }
    if (saved != SaveStatus::Saved) {
        ShowTableMessage(page, saved == SaveStatus::TooLarge ? IDS_LIST_FULL : IDS_SAVE_FAILED, IDS_ERROR_CAPTION,
                         MB_ICONHAND);
        Changed(page);
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    // What is on disk now is what the rows hold: later saves may replace it.
    state.read = std::move(written);
    state.program->folders = std::move(rebuilt);
    state.load = LoadStatus::Loaded;
    state.changed = false;
    PropSheet_UnChanged(GetParent(page), page);
    return PSNRET_NOERROR;
}

LONG_PTR OnNotify(HWND page, FoldersState& state, const NMHDR& header) {
    switch (header.code) {
    case PSN_APPLY: return OnApply(page, state);
    case LVN_ENDLABELEDITA: {
        const auto& edit = reinterpret_cast<const NMLVDISPINFOA&>(header);
        // Cancelled edits have no text; blank names are refused; any other
        // name is taken exactly as typed.
        const bool accepted = edit.item.pszText && AcceptsNewName(edit.item.pszText, SystemLeadBytes());
        if (accepted) Changed(page);
        return accepted ? TRUE : FALSE;
    }
    case NM_DBLCLK:
        if (header.idFrom == IDC_FOLDER_LIST) OnDoubleClick(page, state);
        return 0;
    case LVN_GETINFOTIPA:
        OnInfoTip(state, reinterpret_cast<NMLVGETINFOTIPA&>(const_cast<NMHDR&>(header)));
        return 0;
    default: return 0;
    }
}

}  // namespace

INT_PTR CALLBACK FoldersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    FoldersState* state = StateOf(page);
    try {
        switch (message) {
        case WM_INITDIALOG:
            OnInit(page, reinterpret_cast<ProgramState*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam));
            return TRUE;
        case WM_COMMAND:
            if (!state || HIWORD(wParam) != BN_CLICKED) return FALSE;
            switch (LOWORD(wParam)) {
            case IDC_DELETE: OnDelete(page, *state); return TRUE;
            case IDC_ADD_FOLDER: OnAddFolder(page, *state); return TRUE;
            case IDC_UP: OnMove(page, *state, true); return TRUE;
            case IDC_DOWN: OnMove(page, *state, false); return TRUE;
            case IDC_EXPORT: OnExport(page, *state); return TRUE;
            case IDC_IMPORT: OnImport(page, *state); return TRUE;
            default: return FALSE;
            }
        case WM_NOTIFY:
            if (!state) return FALSE;
            SetWindowLongPtrA(page, DWLP_MSGRESULT, OnNotify(page, *state, *reinterpret_cast<const NMHDR*>(lParam)));
            return TRUE;
        case WM_DPICHANGED_AFTERPARENT:
            if (state) FitColumns(state->list);
            return FALSE;
        case WM_DESTROY:
            delete state;
            SetWindowLongPtrA(page, DWLP_USER, 0);
            return FALSE;
        default: return FALSE;
        }
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

}  // namespace wayleap::config

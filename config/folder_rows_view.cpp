// Rows of the folder list view: the four cell texts of each row.
#include "config/folder_rows_view.h"

#include <commctrl.h>

#include <string>

#include "win/code_page.h"

namespace wayleap::config {
namespace {

// Name and path are read with room for 260 characters, the flags with 7.
std::string CellText(HWND list, int row, int column, int room) {
    std::string buffer(static_cast<std::size_t>(room) + 1, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = &buffer[0];
    item.cchTextMax = room + 1;
    const LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    buffer.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    // Never half a double-byte character at the end of what fitted.
    return std::string(FieldText(buffer, SystemLeadBytes()));
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool IsSelected(HWND list, int row) {
    return (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void SetSelected(HWND list, int row, bool selected) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

FolderRow ReadRow(HWND list, int row) {
    return FolderRow{CellText(list, row, 0, 260), CellText(list, row, 1, 260), CellText(list, row, 2, 7),
                     CellText(list, row, 3, 7)};
}

std::vector<FolderRow> ReadRows(HWND list) {
    std::vector<FolderRow> rows;
    for (int i = 0, n = RowCount(list); i < n; ++i) rows.push_back(ReadRow(list, i));
    return rows;
}

void InsertRow(HWND list, int row, const FolderRow& cells) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells.name.c_str());
    const int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return;
    SetCell(list, index, 1, cells.path);
    SetCell(list, index, 2, cells.expand);
    SetCell(list, index, 3, cells.sort);
}

void WriteRow(HWND list, int row, const FolderRow& cells) {
    SetCell(list, row, 0, cells.name);
    SetCell(list, row, 1, cells.path);
    SetCell(list, row, 2, cells.expand);
    SetCell(list, row, 3, cells.sort);
}

std::vector<bool> SelectedRows(HWND list) {
    std::vector<bool> selected;
    for (int i = 0, n = RowCount(list); i < n; ++i) selected.push_back(IsSelected(list, i));
    return selected;
}

void SwapRows(HWND list, int a, int b) {
    const FolderRow rowA = ReadRow(list, a);
    const FolderRow rowB = ReadRow(list, b);
    const bool selectedA = IsSelected(list, a);
    const bool selectedB = IsSelected(list, b);
    WriteRow(list, a, rowB);
    WriteRow(list, b, rowA);
    SetSelected(list, a, selectedB);
    SetSelected(list, b, selectedA);
}

}  // namespace wayleap::config

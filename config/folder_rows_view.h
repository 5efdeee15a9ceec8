// Rows of the folder list view: the four cell texts of each row.
#pragma once

#include <windows.h>

#include <vector>

#include "core/folder_rows.h"

namespace wayleap::config {

int RowCount(HWND list);
FolderRow ReadRow(HWND list, int row);
std::vector<FolderRow> ReadRows(HWND list);
void InsertRow(HWND list, int row, const FolderRow& cells);
void WriteRow(HWND list, int row, const FolderRow& cells);
std::vector<bool> SelectedRows(HWND list);
// Exchanges two rows' texts together with their selected state; the focus stays.
void SwapRows(HWND list, int a, int b);

}  // namespace wayleap::config

// Wayleap.exe's configuration sheet as a library: the program's entry and the
// tests both call it, so the tests drive the real pages in their own process.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "core/folder_list.h"

namespace wayleap::config {

// What the pages share for the life of the sheet.
struct ProgramState {
    HINSTANCE module = nullptr;  // strings, templates, icon and cursor come from here
    std::string dataFilePath;    // FolderList.dat beside the program; empty when unknown
    FolderList folders;          // filled when the Folders page is first shown
    // Asks the user for a folder to add ("Add a Folder..."): its item id
    // list, which the page frees with CoTaskMemFree, or null when none was
    // chosen. Empty: the shell's folder browser.
    std::function<PIDLIST_ABSOLUTE(HWND owner)> chooseFolder;
    // Asks the user for a list file to export to (`save`) or import from:
    // its path, or nothing when none was chosen. Empty: the standard Save
    // and Open dialogs.
    std::function<std::wstring(HWND owner, bool save)> chooseListFile;
};

// The Add and Modify dialogs (templates 201 and 202) on a row of the folder
// list view. Both return IDOK after changing the rows, 0 otherwise.
INT_PTR ShowAddDialog(HWND owner, HWND list, const std::string& path);
INT_PTR ShowModifyDialog(HWND owner, HWND list, int row);

// Called once the sheet window exists (for tests that drive it from a timer).
using SheetCreated = void (*)(HWND sheet);

// Shows the modal configuration sheet: General, Folders and About, with OK,
// Cancel and Apply. Returns PropertySheetA's result.
INT_PTR ShowConfigurationSheet(ProgramState& state, HWND owner = nullptr, SheetCreated onCreated = nullptr);

// A message box whose text and caption come from the string table.
int ShowTableMessage(HWND owner, UINT textId, UINT captionId, UINT style);

// Page procedures (dialog templates 129, 130, 131).
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FoldersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The module whose resources the pages use (set by ShowConfigurationSheet,
// or for the command line by UseResourceModule).
HINSTANCE ResourceModule();
void UseResourceModule(HINSTANCE module);
std::string LoadProgramString(UINT id);

}  // namespace wayleap::config

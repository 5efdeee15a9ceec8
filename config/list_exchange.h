// Export and import of the folder list: the files' checks and the user's
// messages, shared by the Folders page's buttons and the command line.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "core/folder_list.h"
#include "core/program_command.h"

namespace wayleap::config {

// A string-table text in UTF-16 with "%1", "%2"... replaced by `args`.
std::wstring ProgramText(UINT id, std::initializer_list<std::wstring> args = {});

// A file to import: its entries when it is a whole, valid list that holds
// some, else the message that says why not (naming the line that is wrong).
struct ImportFile {
    FolderList entries;
    std::wstring refusal;
};
ImportFile ReadImportFile(const std::wstring& file);

// Writes the list to `file` in the list file's own format; false when it
// cannot (the message is `refusal`).
bool ExportList(const FolderList& list, const std::wstring& file, std::wstring& refusal);

// Carries out an export or import asked for on the command line, on the
// list file at `dataFilePath`, and writes one line about it to the console
// the program was started from (or to its standard output), if any. The
// program's exit code: 0 done, 1 refused, 2 not understood.
int RunProgramCommand(const ProgramCommand& command, const std::string& dataFilePath);

}  // namespace wayleap::config

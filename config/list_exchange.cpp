// Export and import of the folder list, from the Folders page or the command line.
#include "config/list_exchange.h"

#include "config/config_app.h"
#include "config/resource_ids.h"
#include "core/folder_rows.h"
#include "core/list_file.h"
#include "win/code_page.h"
#include "win/list_exchange.h"
#include "win/list_file_io.h"

namespace wayleap::config {

std::wstring ProgramText(UINT id, std::initializer_list<std::wstring> args) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    std::wstring out;
    const std::wstring source = length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::size_t arg = i + 1 < source.size() ? static_cast<std::size_t>(source[i + 1] - L'1') : args.size();
        if (source[i] == L'%' && arg < args.size()) {
            out += args.begin()[arg];
            ++i;
        } else {
            out += source[i];
        }
    }
    return out;
}

ImportFile ReadImportFile(const std::wstring& file) {
    ImportFile import;
    std::string bytes;
    switch (ReadWholeFile(file, bytes)) {
    case FileRead::Read: break;
    case FileRead::TooLarge: import.refusal = ProgramText(IDS_IMPORT_TOO_LARGE, {file}); return import;
    default: import.refusal = ProgramText(IDS_IMPORT_UNREADABLE, {file}); return import;
    }
    const ListFileCheck check = CheckListFile(bytes, SystemLeadBytes());
    UINT why = 0;
    switch (check.problem) {
    case ListFileProblem::None: ParseFolderList(bytes, SystemLeadBytes(), import.entries); return import;
    case ListFileProblem::Empty: import.refusal = ProgramText(IDS_IMPORT_EMPTY, {file}); return import;
    case ListFileProblem::TooLarge: import.refusal = ProgramText(IDS_IMPORT_TOO_LARGE, {file}); return import;
    case ListFileProblem::NotText: why = IDS_LINE_NOT_TEXT; break;
    case ListFileProblem::NameLine: why = IDS_LINE_NAME; break;
    case ListFileProblem::DataLine: why = IDS_LINE_DATA; break;
    case ListFileProblem::NoDataLine: why = IDS_LINE_NO_DATA; break;
    }
    import.refusal = ProgramText(IDS_IMPORT_BAD_LINE, {file, std::to_wstring(check.line), ProgramText(why)});
    return import;
}

bool ExportList(const FolderList& list, const std::wstring& file, std::wstring& refusal) {
    const Serialized serialized = SerializeFolderList(list, SystemLeadBytes());
    if (serialized.status != SerializeStatus::Ok || !WriteWholeFile(file, serialized.bytes)) {
        refusal = ProgramText(IDS_EXPORT_FAILED, {file});
        return false;
    }
    return true;
}

namespace {

// One line to whoever started the program: its standard output when it was
// given one (a script's pipe or file, in UTF-8), else the console of the
// program that started it, if any.
void Tell(const std::wstring& line) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if ((!out || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    if (!out || out == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\r\n";
    if (GetConsoleMode(out, &mode)) {
        // A new line first: the console's prompt came back when the program started.
        const std::wstring shown = L"\r\n" + text;
        WriteConsoleW(out, shown.c_str(), static_cast<DWORD>(shown.size()), &written, nullptr);
        return;
    }
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &utf8[0], size, nullptr, nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Refuse(const std::wstring& line) { return Tell(line), 1; }

int Export(const std::wstring& file, const std::string& dataFilePath) {
    FolderList list;
    if (!MaySaveOver(LoadFolderList(dataFilePath, list))) return Refuse(ProgramText(IDS_CLI_NOT_READ));
    std::wstring refusal;
    if (!ExportList(list, file, refusal)) return Refuse(refusal);
    Tell(ProgramText(IDS_EXPORT_DONE, {file, std::to_wstring(list.Count())}));
    return 0;
}

// The file's entries replace the list, or those not listed yet are added;
// a list file that was not read whole, is in use or changed meanwhile is
// never saved over.
int Import(const std::wstring& file, bool append, const std::string& dataFilePath) {
    const ImportFile import = ReadImportFile(file);
    if (!import.refusal.empty()) return Refuse(import.refusal);
    FolderList list;
    std::string read;
    if (!MaySaveOver(LoadFolderList(dataFilePath, list, &read))) return Refuse(ProgramText(IDS_CLI_NOT_READ));
    std::size_t skipped = 0;
    if (append) {
        std::vector<FolderRow> rows;
        for (const FolderEntry& entry : list) rows.push_back(RowFromEntry(entry));
        skipped = AppendUnlisted(rows, import.entries);
        list = ListFromRows(rows, SystemLeadBytes());
    } else {
        list = import.entries;
    }
    switch (SaveFolderList(dataFilePath, list, &read)) {
    case SaveStatus::Saved: break;
    case SaveStatus::Busy:
    case SaveStatus::Changed: return Refuse(ProgramText(IDS_CLI_BUSY));
    case SaveStatus::TooLarge: return Refuse(ProgramText(IDS_IMPORT_TOO_MANY, {file}));
    default: return Refuse(ProgramText(IDS_CLI_SAVE_FAILED));
    }
    const std::wstring count = std::to_wstring(import.entries.Count() - skipped);
    Tell(append ? ProgramText(IDS_APPEND_DONE, {file, count, std::to_wstring(skipped)})
                : ProgramText(IDS_IMPORT_DONE, {file, count, std::to_wstring(list.Count())}));
    return 0;
}

}  // namespace

int RunProgramCommand(const ProgramCommand& command, const std::string& dataFilePath) {
    const std::wstring file(command.file.begin(), command.file.end());
    switch (command.kind) {
    case ProgramCommand::Kind::Export: return Export(file, dataFilePath);
    case ProgramCommand::Kind::Import: return Import(file, command.append, dataFilePath);
    default: return Tell(ProgramText(IDS_CLI_USAGE)), 2;
    }
}

}  // namespace wayleap::config

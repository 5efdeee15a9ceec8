// FolderList.dat on disk: where it is, loading it, and saving it safely.
#include "win/list_file_io.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "core/ansi_text.h"
#include "core/list_file.h"
#include "win/code_page.h"
#include "win/module_file.h"
#include "win/unique_handle.h"

namespace wayleap {
namespace {

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsSharingError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// A temporary file beside `path`, created exclusively. Its name is no longer
// than "FolderList.dat", so it fits wherever the data file fits.
unique_file CreateTempBeside(const std::string& path, std::string& tempPath) {
    const std::size_t slash = FindLastBackslash(path, SystemLeadBytes());
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    DWORD seed = GetCurrentProcessId() * 7919u + GetCurrentThreadId() * 31u + GetTickCount();
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[16];
        wsprintfA(name, "~WL%07lX.tmp", static_cast<unsigned long>((seed + static_cast<DWORD>(attempt)) & 0xFFFFFFF));
        tempPath = dir + name;
        if (tempPath.size() >= MAX_PATH) return unique_file();
        unique_file file(CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    tempPath.clear();
    return unique_file();
}

// Saved when nobody has the data file open (or there is none yet), Busy when
// another handle is open on it, Failed when it cannot be written at all,
// Changed when `expected` is given and the file holds other bytes.
SaveStatus ProbeForOthers(const std::string& path, const std::string* expected) {
    // A file the user marked read-only is not replaced (Windows refuses to
    // open it for writing; Wine running as root would not).
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return SaveStatus::Failed;
    unique_file probe(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
        const DWORD error = GetLastError();
        if (IsMissingFileError(error)) return expected && !expected->empty() ? SaveStatus::Changed : SaveStatus::Saved;
        return IsSharingError(error) ? SaveStatus::Busy : SaveStatus::Failed;
    }
    if (!expected) return SaveStatus::Saved;
    // One byte more than expected tells a file that grew.
    std::string now(expected->size() + 1, '\0');
    DWORD read = 0;
    std::size_t filled = 0;
    while (filled < now.size() &&
           ReadFile(probe.get(), &now[filled], static_cast<DWORD>(now.size() - filled), &read, nullptr) && read > 0) {
        filled += read;
    }
    now.resize(filled);
    return now == *expected ? SaveStatus::Saved : SaveStatus::Changed;
}

}  // namespace

std::string ModuleDataFilePath(HMODULE module, UINT fileNameId) {
    // A module name that cannot be read leaves the directory empty: the file
    // name alone is then opened relative to the current directory.
    return DataFilePathFor(ModuleFileName(module), LoadStringFrom(module, fileNameId), SystemLeadBytes(), MAX_PATH);
}

namespace {

// The file's bytes, one more than is ever parsed, to learn whether it is
// longer; nullopt when they were read, else why not.
std::optional<LoadStatus> ReadListFile(const std::string& path, std::string& bytes) {
    if (path.empty()) return LoadStatus::Unreadable;
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return IsMissingFileError(GetLastError()) ? LoadStatus::Missing : LoadStatus::Unreadable;

    // Room for the file as it is now (and one byte to see it is no longer),
    // growing to the whole limit should it have grown meanwhile: a small list
    // costs a small buffer.
    LARGE_INTEGER size{};
    const std::size_t limit = kMaxFileBytes + 1;
    std::size_t room = GetFileSizeEx(file.get(), &size) && size.QuadPart < static_cast<LONGLONG>(kMaxFileBytes)
                           ? static_cast<std::size_t>(size.QuadPart) + 1
                           : limit;
    std::size_t filled = 0;
    try {
        for (;;) {
            bytes.resize(room);
            while (filled < bytes.size()) {
                DWORD read = 0;
                if (!ReadFile(file.get(), &bytes[filled], static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
                    bytes.clear();
                    return LoadStatus::Unreadable;
                }
                if (read == 0) break;
                filled += read;
            }
            if (filled < room || room == limit) break;
            room = limit;
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return LoadStatus::Unreadable;
    }
    bytes.resize(filled);
    return std::nullopt;
}

LoadStatus StatusOf(ParseStop stop) { return stop == ParseStop::Complete ? LoadStatus::Loaded : LoadStatus::Partial; }

}  // namespace

LoadStatus LoadFolderList(const std::string& path, FolderList& list, std::string* read) {
    std::string bytes;
    if (read) read->clear();
    if (std::optional<LoadStatus> failed = ReadListFile(path, bytes)) return *failed;
    const LoadStatus status = StatusOf(ParseFolderList(bytes, SystemLeadBytes(), list));
    if (read) *read = std::move(bytes);
    return status;
}

LoadStatus LoadFolderListViews(const std::string& path, std::string& bytes, std::vector<FolderEntryView>& entries) {
    bytes.clear();
    entries.clear();
    if (std::optional<LoadStatus> failed = ReadListFile(path, bytes)) return *failed;
    return StatusOf(ParseFolderListViews(bytes, SystemLeadBytes(), entries));
}

SaveStatus SaveFolderList(const std::string& path, const FolderList& list, const std::string* expected,
                          std::string* written) {
    if (path.empty()) return SaveStatus::Failed;
    Serialized content = SerializeFolderList(list, SystemLeadBytes());
    if (content.status == SerializeStatus::BadEntry) return SaveStatus::InvalidEntry;
    if (content.status == SerializeStatus::TooLarge) return SaveStatus::TooLarge;

    std::string tempPath;
    {
        unique_file temp = CreateTempBeside(path, tempPath);
        if (!temp) return SaveStatus::Failed;
        const bool complete = WriteAll(temp.get(), content.bytes) && FlushFileBuffers(temp.get());
        temp.reset();
        if (!complete) {
            DeleteFileA(tempPath.c_str());
            return SaveStatus::Failed;
        }
    }

    // A reader or writer of the data file makes the save fail rather than
    // wait: opening it exclusively tells whether anyone has it open.
    SaveStatus blocked = ProbeForOthers(path, expected);
    if (blocked == SaveStatus::Saved &&
        !MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Windows refuses to replace a file that someone opened since the
        // probe (access denied); other rights were checked by the probe.
        const DWORD error = GetLastError();
        blocked = IsSharingError(error) || error == ERROR_ACCESS_DENIED ? SaveStatus::Busy : SaveStatus::Failed;
    }
    if (blocked != SaveStatus::Saved) DeleteFileA(tempPath.c_str());
    else if (written) *written = std::move(content.bytes);
    return blocked;
}

}  // namespace wayleap

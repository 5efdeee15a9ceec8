// List files the user names, read and written by their UTF-16 paths.
#include "win/list_exchange.h"

#include <windows.h>

#include "core/list_file.h"
#include "win/unique_handle.h"

namespace wayleap {

FileRead ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return FileRead::Missing;
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? FileRead::Busy : FileRead::Failed;
    }
    // One byte more than a list file holds tells a longer file.
    std::string buffer(kMaxFileBytes + 1, '\0');
    DWORD total = 0;
    for (DWORD got = 1; got && total < buffer.size(); total += got) {
        if (!ReadFile(file.get(), &buffer[total], static_cast<DWORD>(buffer.size()) - total, &got, nullptr)) {
            return FileRead::Failed;
        }
    }
    if (total > kMaxFileBytes) return FileRead::TooLarge;
    buffer.resize(total);
    bytes = std::move(buffer);
    return FileRead::Read;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring dir = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (path.size() >= MAX_PATH || !GetTempFileNameW(dir.c_str(), L"~WL", 0, temp)) return false;
    bool written = false;
    {
        unique_file file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD done = 0;
        written = file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp);
    return false;
}

}  // namespace wayleap

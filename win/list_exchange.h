// List files the user names, for export and import: read and written by
// their true UTF-16 paths, so that any folder serves.
#pragma once

#include <string>

namespace wayleap {

enum class FileRead {
    Read,
    Missing,   // no such file or folder
    Busy,      // another program has it open for writing
    TooLarge,  // more than a list file can hold; nothing was kept
    Failed,    // no access, or the read failed
};

// Reads the whole file into `bytes`, shared with other readers only.
FileRead ReadWholeFile(const std::wstring& path, std::string& bytes);

// Writes `bytes` as the whole file: to a temporary file beside it first, then
// moved over it, so that a failure leaves the file as it was.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace wayleap

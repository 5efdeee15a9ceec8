// Helpers for the Wine tests: scratch directories and whole-file reads and writes.
#include "tests/wine/test_support.h"

#include "win/unique_handle.h"

namespace wayleap::test {

ScratchDir::ScratchDir() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static LONG counter = 0;
    char name[64];
    wsprintfA(name, "wltest-%lu-%ld\\", GetCurrentProcessId(), InterlockedIncrement(&counter));
    path_ = std::string(temp) + name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
    unique_file file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadBytes(const std::string& path) {
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FilesMatching(const std::string& dir, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    unique_find find(FindFirstFileA((dir + pattern).c_str(), &data));
    if (!find) return names;
    do {
        names.emplace_back(data.cFileName);
    } while (FindNextFileA(find.get(), &data));
    return names;
}

void RemoveTree(const std::string& dir) {
    for (const std::string& name : FilesMatching(dir, "*")) {
        if (name == "." || name == "..") continue;
        const std::string full = dir + name;
        const DWORD attributes = GetFileAttributesA(full.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        SetFileAttributesA(full.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(full + "\\");
        } else {
            DeleteFileA(full.c_str());
        }
    }
    RemoveDirectoryA(dir.c_str());
}

std::string WinePath(const char* path) {
    std::string result = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char& c : result) {
        if (c == '/') c = '\\';
    }
    return result;
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string OwnDir() {
    std::string path = OwnPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

unique_file StartProcess(const std::string& commandLine, const std::string& dir, DWORD* processId) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
        return unique_file();
    }
    CloseHandle(info.hThread);
    if (processId) *processId = info.dwProcessId;
    return unique_file(info.hProcess);
}

int RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    const unique_file process = StartProcess(commandLine);
    if (!process) return -1;
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

}  // namespace wayleap::test

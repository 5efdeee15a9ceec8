// Helpers for the Wine tests: scratch directories, whole files and processes.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "tests/wine/watchdog.h"
#include "win/code_page.h"
#include "win/unique_handle.h"

namespace wayleap::test {

// A path given on the command line as Wine sees it: ctest and the scripts pass
// Unix paths, and Wine maps the Unix root to drive Z:. Windows paths pass unchanged.
std::string WinePath(const char* path);

bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // empty when the file cannot be read
inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
// Names in `dir` (ending with a backslash) matching `pattern`, such as "~WL*.tmp".
std::vector<std::string> FilesMatching(const std::string& dir, const char* pattern);
void RemoveTree(const std::string& dir);  // `dir` ends with a backslash

// A fresh directory under the temp directory, removed with its content at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir() { RemoveTree(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }  // ends with a backslash
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// An empty directory named in UTF-16, such as a name the ANSI code page
// cannot hold, made in `parent` (ending with a backslash) and removed at the end.
struct WideDir {
    WideDir(const std::string& parent, const std::wstring& name);
    ~WideDir() { RemoveDirectoryW(path.c_str()); }
    WideDir(const WideDir&) = delete;
    WideDir& operator=(const WideDir&) = delete;
    std::wstring parent, path;
};

// Makes an object of the class `clsid` (in braces) from the DLL registered
// for it as Windows' merged view of the classes gives it to this program (the
// user's classes first, then the machine's; Wine's own COM reads the
// machine's alone): the DLL is loaded and asked for its class factory. The
// DLL stays loaded.
HRESULT CreateRegisteredObject(const std::string& clsid, REFIID riid, void** object);

// The folder an item dialog shows (its file-system path, in the ANSI code
// page) and the file name in its box; empty when it has none.
std::string FolderOf(IFileDialog* dialog);
std::wstring FileNameOf(IFileDialog* dialog);

// In a run at another display scale (WAYLEAP_WINE_DPI, set by ctest for the
// tests that measure sizes), checks that the display has that scale.
void ExpectScaleOfThisRun();

// Path of the running test program and its directory (with a trailing backslash).
std::string OwnPath();
inline std::string OwnDir() { return OwnPath().substr(0, OwnPath().find_last_of('\\') + 1); }

// Starts `commandLine` (in UTF-16, or in the ANSI code page) in `dir` (this
// process's own when empty) without waiting for it. The process handle,
// invalid when it could not be started; `processId` (when given) receives its id.
unique_file StartProcess(const std::wstring& commandLine, const std::string& dir = {}, DWORD* processId = nullptr);
inline unique_file StartProcess(const std::string& commandLine, const std::string& dir = {}, DWORD* processId = nullptr) {
    return StartProcess(AnsiToWide(commandLine), dir, processId);
}
// Waits for a process to end, running this thread's messages meanwhile: its
// exit code, or -1 when it has not ended within `timeoutMs` (it is then ended).
int ExitCodeOf(HANDLE process, DWORD timeoutMs);
// Runs `commandLine` and waits for it: its exit code, or -1 when it could not
// be started or did not finish within `timeoutMs`.
int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 60000);
inline int RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000) {
    return RunAndWait(AnsiToWide(commandLine), timeoutMs);
}

}  // namespace wayleap::test

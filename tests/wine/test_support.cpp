// Helpers for the Wine tests: scratch directories, whole files and processes.
#include "tests/wine/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/wine/window_driver.h"
#include "win/code_page.h"
#include "win/registry_classes.h"

namespace wayleap::test {

ScratchDir::ScratchDir() {
    static LONG counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = temp + ("wltest-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(InterlockedIncrement(&counter)) + "\\");
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

namespace {

// Wide, so that names the ANSI code page cannot hold go too.
void RemoveTreeW(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    unique_find find(FindFirstFileW((dir + L"*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW((dir + name).c_str())) RemoveTreeW(dir + name + L"\\");  // a directory
        } while (FindNextFileW(find.get(), &data));
    }
    find.reset();
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

WideDir::WideDir(const std::string& parentDir, const std::wstring& name)
    : parent(AnsiToWide(parentDir)), path(parent + name) {
    CreateDirectoryW(path.c_str(), nullptr);
}

void RemoveTree(const std::string& dir) { RemoveTreeW(AnsiToWide(dir)); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FilesMatching(const std::string& dir, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    unique_find find(FindFirstFileA((dir + pattern).c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileA(find.get(), &data)) names.emplace_back(data.cFileName);
    return names;
}

std::string WinePath(const char* path) {
    std::string result = std::string(path[0] == '/' ? "Z:" : "") + path;
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

void ExpectScaleOfThisRun() {
    const char* dpi = std::getenv("WAYLEAP_WINE_DPI");
    if (!dpi) return;
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), std::atoi(dpi)) << "the display's scale";
    ReleaseDC(nullptr, screen);
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

unique_file StartProcess(const std::wstring& commandLine, const std::string& dir, DWORD* processId) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{nullptr, nullptr, 0, 0};
    std::wstring line = commandLine;
    const bool started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        dir.empty() ? nullptr : AnsiToWide(dir).c_str(), &startup, &info) != FALSE;
    if (started) CloseHandle(info.hThread);
    if (processId) *processId = info.dwProcessId;
    return unique_file(started ? info.hProcess : INVALID_HANDLE_VALUE);
}

int ExitCodeOf(HANDLE process, DWORD timeoutMs) {
    DWORD code = static_cast<DWORD>(-1);
    if (!PumpUntil([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs)) {
        TerminateProcess(process, 1);
    } else {
        GetExitCodeProcess(process, &code);
    }
    return static_cast<int>(code);
}

int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs) {
    const unique_file process = StartProcess(commandLine);
    return process ? ExitCodeOf(process.get(), timeoutMs) : -1;
}

std::string FolderOf(IFileDialog* dialog) {
    IShellItem* item = nullptr;
    wchar_t* name = nullptr;
    if (FAILED(dialog->GetFolder(&item))) return {};
    const HRESULT named = item->GetDisplayName(SIGDN_FILESYSPATH, &name);
    item->Release();
    if (FAILED(named)) return {};
    const std::string path = WideToAnsiBest(name);
    CoTaskMemFree(name);
    return path;
}

std::wstring FileNameOf(IFileDialog* dialog) {
    wchar_t* name = nullptr;
    const std::wstring text = SUCCEEDED(dialog->GetFileName(&name)) && name ? name : L"";
    CoTaskMemFree(name);
    return text;
}

HRESULT CreateRegisteredObject(const std::string& clsid, REFIID riid, void** object) {
    *object = nullptr;
    const std::string server = RegisteredServer(clsid);
    HMODULE module = server.empty() ? nullptr : LoadLibraryA(server.c_str());
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject =
        module ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
               : nullptr;
    CLSID id;
    IClassFactory* factory = nullptr;
    if (!getClassObject) return REGDB_E_CLASSNOTREG;
    HRESULT hr = CLSIDFromString(std::wstring(clsid.begin(), clsid.end()).c_str(), &id);
    if (SUCCEEDED(hr)) hr = getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, riid, object);
    factory->Release();
    return hr;
}

}  // namespace wayleap::test

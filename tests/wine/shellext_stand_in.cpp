// A stand-in for the programs SkipdoorCM.dll starts (Wayleap.exe, and whatever
// the shell opens folders with): it appends one line to "<its own path>.log"
// with its argument count and its arguments (in UTF-8), tab-separated, and exits.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.pop_back();
    return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH + 1] = {};
    if (!GetModuleFileNameA(nullptr, self, MAX_PATH)) return 1;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return 1;
    std::string line = std::to_string(count);
    for (int i = 1; i < count; ++i) line += "\t" + Utf8(args[i]);
    line += '\n';
    LocalFree(args);
    HANDLE file = CreateFileA((std::string(self) + ".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

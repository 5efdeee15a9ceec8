// A stand-in for the programs SkipdoorCM.dll starts (Wayleap.exe, and whatever
// the shell opens folders with): it appends one line to "<its own path>.log"
// with its argument count and its arguments, tab-separated, and exits.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH + 1] = {};
    if (!GetModuleFileNameA(nullptr, self, MAX_PATH)) return 1;
    std::string line = std::to_string(__argc);
    for (int i = 1; i < __argc; ++i) line += std::string("\t") + __argv[i];
    line += '\n';
    HANDLE file = CreateFileA((std::string(self) + ".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}

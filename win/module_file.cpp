// A module's own file name and its string table.
#include "win/module_file.h"

#include <optional>
#include <string_view>
#include <vector>

#include "win/code_page.h"

namespace wayleap {

std::string ModuleFileName(HMODULE module) {
    // A buffer far larger than MAX_PATH, so that an over-long directory is
    // seen as such instead of being cut to something that looks valid.
    std::vector<wchar_t> name(32768);
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) return {};
    if (std::optional<std::string> exact = WideToAnsiExact(std::wstring_view(name.data(), length))) return *exact;
    // A folder whose name the ANSI code page cannot hold: the short form of
    // the path (plain ASCII where the file system keeps short names) names
    // the same file for the ANSI calls. Without one, no path is better than
    // a look-alike: the data file is then not found, and nothing is saved.
    std::vector<wchar_t> shortName(name.size());
    const DWORD shortLength = GetShortPathNameW(name.data(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (shortLength == 0 || shortLength >= shortName.size()) return {};
    return WideToAnsiExact(std::wstring_view(shortName.data(), shortLength)).value_or(std::string());
}

std::string LoadStringFrom(HINSTANCE module, UINT id) {
    char buffer[512] = {};
    const int length = LoadStringA(module, id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

int ShowStringTableMessage(HINSTANCE module, HWND owner, UINT textId, UINT captionId, UINT style) {
    const std::string caption = LoadStringFrom(module, captionId);
    const std::string text = LoadStringFrom(module, textId);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

}  // namespace wayleap

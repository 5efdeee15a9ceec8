// A module's own file name and its string table.
#include "win/module_file.h"

#include <vector>

namespace wayleap {

std::string ModuleFileName(HMODULE module) {
    // A buffer far larger than MAX_PATH, so that an over-long directory is
    // seen as such instead of being cut to something that looks valid.
    std::vector<char> name(32768);
    const DWORD length = GetModuleFileNameA(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) return {};
    return std::string(name.data(), length);
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

// The system's ANSI code page: its lead bytes, and conversions to and from UTF-16.
#include "win/code_page.h"

#include <windows.h>

#include <algorithm>

namespace wayleap {
namespace {

LeadBytes ReadLeadBytes() {
    LeadBytes lead;
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return lead;
    // LeadByte holds up to five ranges as byte pairs, ended by a zero pair.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        lead.AddRange(info.LeadByte[i], info.LeadByte[i + 1]);
    }
    return lead;
}

std::string WideToAnsi(std::wstring_view text, DWORD flags, BOOL* usedDefault) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, usedDefault);
    if (length <= 0) return {};
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), size, &ansi[0], length, nullptr, usedDefault);
    return ansi;
}

// The ANSI code page cannot change while a process runs, so it is read once,
// when the module loads. Not as a function's own static: its first use would
// take the thread runtime's once-lock, which in SkipdoorCM.dll keeps a TLS
// index and two handles of the shell's thread for every load of the DLL.
const LeadBytes g_systemLeadBytes = ReadLeadBytes();

}  // namespace

const LeadBytes& SystemLeadBytes() { return g_systemLeadBytes; }

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::optional<std::string> WideToAnsiExact(std::wstring_view text) {
    // Every ANSI code page holds ASCII as it is, and most names are ASCII.
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) return std::string(text.begin(), text.end());
    BOOL usedDefault = FALSE;
    std::string ansi = WideToAnsi(text, WC_NO_BEST_FIT_CHARS, &usedDefault);
    // The way back settles it: a best-fit character would come back as another one.
    if (usedDefault || AnsiToWide(ansi) != text) return std::nullopt;
    return ansi;
}

std::string WideToAnsiBest(std::wstring_view text) { return WideToAnsi(text, 0, nullptr); }

}  // namespace wayleap

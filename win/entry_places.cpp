// Where stored entry paths lead in this process.
#include "win/entry_places.h"

#include <windows.h>

#include "win/code_page.h"

namespace wayleap {
namespace {

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring_view ToWide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }

// The process's environment as it stands. Nothing for text the system
// cannot expand (a result of more than 32K characters).
std::optional<std::u16string> Expand(std::u16string_view text) {
    const std::wstring source(ToWide(text));
    const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(source.c_str(), &expanded[0], needed);
    if (written == 0 || written > needed) return std::nullopt;  // the environment changed meanwhile
    expanded.resize(written - 1);
    return ToU16(expanded);
}

}  // namespace

// Not a function's own static: SkipdoorCM.dll keeps no once-lock of the
// thread runtime (see code_page.cpp).
const PathSystem kWindowsPaths = {
    Expand,
    [](std::string_view ansi) { return ToU16(AnsiToWide(ansi)); },
    [](std::u16string_view text) { return WideToAnsiExact(ToWide(text)); },
    [](std::u16string_view text) { return WideToAnsiBest(ToWide(text)); },
};

EntryPlace PlaceHere(std::string_view stored) { return PlaceOf(stored, SystemLeadBytes(), kWindowsPaths); }

std::vector<EntryPlace> PlacesHere(const std::vector<FolderEntryView>& folders) {
    std::vector<EntryPlace> places;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (!NamesVariables(folders[i].path, SystemLeadBytes())) continue;
        if (places.empty()) places.resize(folders.size());
        places[i] = PlaceHere(folders[i].path);
    }
    return places;
}

}  // namespace wayleap

// Where an entry's stored path leads: its environment variables expanded.
#include "core/entry_path.h"

namespace wayleap {

bool NamesVariables(std::string_view stored, const LeadBytes& lead) {
    const std::size_t first = FindChar(stored, '%', lead);
    return first != std::string_view::npos && FindChar(stored, '%', lead, first + 1) != std::string_view::npos;
}

bool IsAbsolutePath(std::u16string_view path) {
    const auto letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == u':' && path[2] == u'\\') return true;
    // "\\server\share": a server name, then a share name.
    if (path.size() < 5 || path.substr(0, 2) != u"\\\\") return false;
    const std::size_t share = path.find(u'\\', 2);
    return share != std::u16string_view::npos && share > 2 && share + 1 < path.size() && path[share + 1] != u'\\';
}

EntryPlace PlaceOf(std::string_view stored, const LeadBytes& lead, const PathSystem& system) {
    EntryPlace place;
    if (!NamesVariables(stored, lead)) return place;
    const std::u16string text = system.widen(stored);
    std::optional<std::u16string> expanded = system.expand(text);
    const bool absolute = expanded && IsAbsolutePath(*expanded);
    if (absolute && *expanded == text) return place;  // "%" signs in the folder's own name
    if (!absolute || expanded->size() > kMaxPlacePath) {
        place.kind = EntryPlace::Kind::Missing;
        place.path = std::string(stored);
        return place;
    }
    std::optional<std::string> exact = system.narrowExact(*expanded);
    if (exact && exact->size() <= kMaxPlacePath) {
        place.kind = EntryPlace::Kind::Expanded;
        place.path = std::move(*exact);
    } else {
        place.kind = EntryPlace::Kind::WideOnly;
        place.path = system.narrowBest(*expanded);
        place.wide = std::move(*expanded);
    }
    return place;
}

bool IsSameFolder(std::string_view stored, const EntryPlace* place, std::string_view ansi, bool storable,
                  std::u16string_view wide) {
    using Kind = EntryPlace::Kind;
    if (!place || place->kind == Kind::AsStored) return storable && stored == ansi;
    switch (place->kind) {
    case Kind::Expanded: return storable && place->path == ansi;
    case Kind::WideOnly: return !storable && place->wide == wide;
    default: return false;
    }
}

}  // namespace wayleap

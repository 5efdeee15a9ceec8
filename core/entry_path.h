// Where an entry's stored path leads on this machine. A stored path may name
// environment variables ("%USERPROFILE%\Documents"), so that one list serves
// on every machine and in every user profile. FolderList.dat keeps the text
// as written; every use of the path (listing the folder, the command's
// target, help texts, "already listed") goes by its expansion here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ansi_text.h"

namespace wayleap {

// Longest path, in characters of either form, that a folder command may
// stand for: what the system's path buffers hold.
inline constexpr std::size_t kMaxPlacePath = 260;

struct EntryPlace {
    enum class Kind : std::uint8_t {
        AsStored,  // the stored text itself: it names no variable, or none that is defined
        Expanded,  // the expansion, which the code page holds exactly: `path`
        WideOnly,  // the expansion, which only UTF-16 holds: `wide`; `path` is the
                   // code page's best form of it, for showing only
        Missing,   // no folder: the expansion failed, is too long, or is no
                   // absolute path; `path` is the stored text, as written
    };
    Kind kind = Kind::AsStored;
    std::string path;
    std::u16string wide;

    friend bool operator==(const EntryPlace& a, const EntryPlace& b) {
        return a.kind == b.kind && a.path == b.path && a.wide == b.wide;
    }
};

// The platform's half: the expansion of variables (the way Windows does it,
// in UTF-16; nullopt when it fails) and the code page's conversions.
struct PathSystem {
    std::function<std::optional<std::u16string>(std::u16string_view text)> expand;
    std::function<std::u16string(std::string_view ansi)> widen;
    // The text in the code page when it holds every character exactly.
    std::function<std::optional<std::string>(std::u16string_view text)> narrowExact;
    // The best the code page can give, for showing.
    std::function<std::string(std::u16string_view text)> narrowBest;
};

// Whether the stored path may name a variable: a "%" with another "%" after
// it (characters of the code page, never trail bytes). Paths without one are
// used as stored, without asking the system.
bool NamesVariables(std::string_view stored, const LeadBytes& lead);

// A drive path ("C:\...") or a network path ("\\server\share...").
bool IsAbsolutePath(std::u16string_view path);

// Where `stored` leads:
//  - no variable named, or the expansion leaves the text as it is and it is
//    an absolute path (a folder whose name holds "%" signs): AsStored;
//  - the expansion fails, leaves no absolute path (an undefined variable, a
//    value that is empty or relative), or is longer than kMaxPlacePath:
//    Missing, which behaves like any folder that does not exist;
//  - else Expanded, or WideOnly when the code page cannot hold the expansion
//    exactly or holds it in more than kMaxPlacePath bytes.
EntryPlace PlaceOf(std::string_view stored, const LeadBytes& lead, const PathSystem& system);

// Whether the folder `place` (of the stored path `stored`) is the selected
// folder: its path in the code page (`ansi`, exact when `storable`) and its
// true path `wide`. Compared byte for byte, as stored paths always were.
bool IsSameFolder(std::string_view stored, const EntryPlace* place, std::string_view ansi, bool storable,
                  std::u16string_view wide);

}  // namespace wayleap

// What GetCommandString answers for a command offset and a request type:
// help texts for the status bar and canonical verbs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wayleap {

// Request types (the shell's GCS_* values).
inline constexpr unsigned kVerbA = 0;
inline constexpr unsigned kHelpTextA = 1;
inline constexpr unsigned kValidateA = 2;
inline constexpr unsigned kVerbW = 4;
inline constexpr unsigned kHelpTextW = 5;
inline constexpr unsigned kValidateW = 6;

// String-table ids of the replies.
inline constexpr unsigned kStrAddHelp = 105;        // "Add current selected folder(s)"
inline constexpr unsigned kStrConfigureHelp = 106;  // "Configure Wayleap"
inline constexpr unsigned kStrListVerb = 107;       // "WLList", followed by the folder index
inline constexpr unsigned kStrAddVerb = 108;        // "WLAddFolder"
inline constexpr unsigned kStrConfigureVerb = 109;  // "WLConfigure"

struct CommandStringReply {
    enum class What {
        Invalid,      // E_INVALIDARG: the offset names no command
        Empty,        // S_OK with an empty buffer (types without a reply, validation)
        String,       // the string-table entry stringId
        IndexedVerb,  // string kStrListVerb followed by index in decimal
        CommandPath,  // commandPaths[index]
    };
    What what = What::Invalid;
    unsigned stringId = 0;
    std::size_t index = 0;
    bool wide = false;  // reply in UTF-16 (the W types)
};

CommandStringReply ReplyFor(unsigned offset, unsigned type, std::size_t commandPathCount);

// Longest prefix of a UTF-16 text with at most maxUnits code units that does
// not end between the two halves of a surrogate pair.
std::u16string_view CutUtf16(std::u16string_view text, std::size_t maxUnits);

}  // namespace wayleap

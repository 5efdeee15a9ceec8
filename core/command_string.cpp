// What GetCommandString answers for each command offset and request type.
#include "core/command_string.h"

#include "core/menu_plan.h"

namespace wayleap {

namespace {

// Replies of the two fixed commands by request type; other types get an empty reply.
struct FixedReplies {
    unsigned verb;
    unsigned helpText;
};
constexpr FixedReplies kAddReplies{kStrAddVerb, kStrAddHelp};
constexpr FixedReplies kConfigureReplies{kStrConfigureVerb, kStrConfigureHelp};

CommandStringReply Reply(CommandStringReply::What what, unsigned type) {
    CommandStringReply reply;
    reply.what = what;
    // Even an invalid offset empties the caller's buffer, in the caller's width.
    reply.wide = type == kVerbW || type == kHelpTextW || type == kValidateW;
    return reply;
}

CommandStringReply FixedReply(const FixedReplies& replies, unsigned type) {
    CommandStringReply reply = Reply(CommandStringReply::What::String, type);
    if (type == kVerbA || type == kVerbW) {
        reply.stringId = replies.verb;
    } else if (type == kHelpTextA || type == kHelpTextW) {
        reply.stringId = replies.helpText;
    } else {
        reply.what = CommandStringReply::What::Empty;
    }
    return reply;
}

}  // namespace

CommandStringReply ReplyFor(unsigned offset, unsigned type, std::size_t commandPathCount) {
    if (offset == kOffsetAdd) return FixedReply(kAddReplies, type);
    if (offset == kOffsetConfigure) return FixedReply(kConfigureReplies, type);
    // The parent item, the unused offsets 3 to 7 and everything past the
    // last folder command name no command. Subtracting first keeps the
    // comparison free of overflow for any offset and count.
    if (offset < kFirstFolderOffset || offset - kFirstFolderOffset >= commandPathCount) {
        return Reply(CommandStringReply::What::Invalid, type);
    }
    const std::size_t index = offset - kFirstFolderOffset;
    CommandStringReply reply = Reply(CommandStringReply::What::Empty, type);
    if (type == kVerbA || type == kVerbW) {
        reply.what = CommandStringReply::What::IndexedVerb;
        reply.stringId = kStrListVerb;
        reply.index = index;
    } else if (type == kHelpTextA || type == kHelpTextW) {
        reply.what = CommandStringReply::What::CommandPath;
        reply.index = index;
    }
    return reply;
}

std::u16string_view CutUtf16(std::u16string_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits) return text;
    std::size_t end = maxUnits;
    auto isHigh = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    auto isLow = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    // text[end] exists here: the cut falls before it.
    if (end > 0 && isHigh(text[end - 1]) && isLow(text[end])) --end;
    return text.substr(0, end);
}

}  // namespace wayleap

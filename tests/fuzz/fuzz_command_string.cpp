// Fuzzes GetCommandString's replies against a small fuzzed menu: Invalid
// exactly for an offset that names no command, indexes only of existing
// folder commands, and replies cut for any buffer size without passing it or
// splitting a character or a surrogate pair.
#include <algorithm>

#include "core/command_string.h"
#include "tests/fuzz/fuzz_support.h"

using namespace wayleap;
using What = CommandStringReply::What;

namespace {

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void CheckUtf16Cut(std::u16string_view text, std::size_t maxUnits) {
    const std::u16string_view cut = CutUtf16(text, maxUnits);
    const std::size_t fits = std::min(text.size(), maxUnits);
    Check(cut.data() == text.data() && cut.size() <= fits, "CutUtf16 is no prefix within maxUnits");
    Check(cut.size() == text.size() || cut.empty() || !(IsHigh(text[cut.size() - 1]) && IsLow(text[cut.size()])),
          "CutUtf16 split a surrogate pair");
    Check(cut.size() + 1 >= fits, "CutUtf16 cut more than the last pair needs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const FuzzedMenu menu(fuzz, 512, 8);
    const CommandPaths& paths = menu.plan.commandPaths;
    const std::size_t count = paths.size();
    while (fuzz.remaining_bytes() > 0) {
        const unsigned near = static_cast<unsigned>(kFirstFolderOffset + count + 1);  // the plan's offsets and one more
        const unsigned offset = fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange(0u, near) : fuzz.ConsumeIntegral<unsigned>();
        const unsigned type = fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange(0u, 7u) : fuzz.ConsumeIntegral<unsigned>();
        const std::size_t chars = fuzz.ConsumeIntegralInRange<std::size_t>(1, 300);  // the caller's buffer, with its terminator
        const CommandStringReply reply = ReplyFor(offset, type, count);
        const bool folder = offset >= kFirstFolderOffset && offset - kFirstFolderOffset < count;
        Check((reply.what == What::Invalid) != (folder || offset == kOffsetAdd || offset == kOffsetConfigure),
              "Invalid for a command, or not for an offset that names none");
        Check(reply.wide == (type == kVerbW || type == kHelpTextW || type == kValidateW), "reply width differs from the type's");
        if (reply.what == What::IndexedVerb || reply.what == What::CommandPath) {
            Check(folder && reply.index == offset - kFirstFolderOffset, "a folder reply's index is not its command's");
        }
        if (reply.what == What::CommandPath && reply.wide) {
            const std::u16string_view truePath = paths.WidePath(reply.index);
            CheckUtf16Cut(truePath.empty() ? Widen(paths.Path(reply.index, menu.folders)) : std::u16string(truePath), chars - 1);
        } else if (reply.what == What::CommandPath) {
            const std::string_view path = paths.Path(reply.index, menu.folders);
            const std::string_view cut = CutAtCharBoundary(path, chars - 1, menu.in.lead);
            Check(cut.data() == path.data() && cut.size() < chars, "a help text passes the caller's buffer");
        }
        const std::size_t maxUnits = fuzz.ConsumeIntegralInRange<std::size_t>(0, 40);
        CheckUtf16Cut(Units(fuzz.ConsumeRandomLengthString(64)), maxUnits);
    }
    return 0;
}

// Fuzzes GetCommandString's replies for menus of up to 40 folder commands:
// Invalid exactly for an offset that names no command, the width the request
// type asks for, indexes only of existing folder commands; and the cut of a
// UTF-16 reply to any buffer: the longest prefix that fits without splitting a
// surrogate pair.
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
    const bool pairAtCut = fits > 0 && fits < text.size() && IsHigh(text[fits - 1]) && IsLow(text[fits]);
    Check(cut.data() == text.data() && cut.size() == fits - pairAtCut,
          "CutUtf16: not the longest prefix within maxUnits that keeps surrogate pairs whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const std::size_t count = fuzz.ConsumeIntegralInRange<std::size_t>(0, 40);  // the menu's folder commands
    while (fuzz.remaining_bytes() > 0) {
        const unsigned near = static_cast<unsigned>(kFirstFolderOffset + count + 1);  // the menu's offsets and one more
        const unsigned offset = fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange(0u, near) : fuzz.ConsumeIntegral<unsigned>();
        const unsigned type = fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange(0u, 7u) : fuzz.ConsumeIntegral<unsigned>();
        const CommandStringReply reply = ReplyFor(offset, type, count);
        const bool folder = offset >= kFirstFolderOffset && offset - kFirstFolderOffset < count;
        Check((reply.what == What::Invalid) != (folder || offset == kOffsetAdd || offset == kOffsetConfigure),
              "Invalid for a command, or not for an offset that names none");
        Check(reply.wide == (type == kVerbW || type == kHelpTextW || type == kValidateW), "reply width differs from the type's");
        if (reply.what == What::IndexedVerb || reply.what == What::CommandPath) {
            Check(folder && reply.index == offset - kFirstFolderOffset, "a folder reply's index is not its command's");
        }
        const std::size_t maxUnits = fuzz.ConsumeIntegralInRange<std::size_t>(0, 40);
        CheckUtf16Cut(Units(fuzz.ConsumeRandomLengthString(64)), maxUnits);
    }
    return 0;
}

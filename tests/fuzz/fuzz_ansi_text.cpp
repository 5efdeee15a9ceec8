// Fuzzes the code-page helpers on any bytes, single-byte (1252) and Shift-JIS
// (932): no read outside the text, and every answer agrees with the text's
// characters as CharLength steps through them from its start.
#include <algorithm>

#include "tests/fuzz/fuzz_support.h"

using namespace wayleap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fuzz(data, size);
    const LeadBytes lead = fuzz.ConsumeBool() ? LeadBytes::ShiftJis() : LeadBytes();
    const std::size_t maxBytes = fuzz.ConsumeIntegralInRange<std::size_t>(0, 600);
    const char c = fuzz.ConsumeBool() ? '\\' : fuzz.ConsumeIntegral<char>();
    const std::size_t fromSeed = fuzz.ConsumeIntegral<std::uint16_t>();
    const std::string fileName = fuzz.ConsumeRandomLengthString(300);
    const std::string text = fuzz.ConsumeRemainingBytesAsString();
    constexpr std::size_t npos = std::string_view::npos;

    std::vector<bool> starts(text.size() + 1);  // where characters start; the end counts as one
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLength(text, i, lead);
        Check(length == 1 || (length == 2 && i + 1 < text.size()), "CharLength runs past the text");
        starts[i] = true;
        i += length;
    }
    starts[text.size()] = true;

    std::size_t from = fromSeed % (text.size() + 1);
    while (!starts[from]) ++from;
    std::size_t first = npos, lastBackslash = npos, longest = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (starts[i] && text[i] == c && i >= from && first == npos) first = i;
        if (starts[i] && text[i] == '\\') lastBackslash = i;
    }
    for (std::size_t i = 0; i <= std::min(maxBytes, text.size()); ++i) longest = starts[i] ? i : longest;
    Check(FindChar(text, c, lead, from) == first, "FindChar missed the first character c at or after from");
    Check(FindLastBackslash(text, lead) == lastBackslash, "FindLastBackslash missed the last backslash character");
    const std::string_view cut = CutAtCharBoundary(text, maxBytes, lead);
    Check(cut.data() == text.data() && cut.size() == longest, "CutAtCharBoundary: not the longest whole prefix within maxBytes");

    const std::string_view trimmed = TrimBlanksView(text);
    const std::size_t head = static_cast<std::size_t>(trimmed.data() - text.data());
    auto blank = [](char b) { return b == ' ' || b == '\t'; };
    Check(trimmed.data() >= text.data() && head + trimmed.size() <= text.size(), "TrimBlanksView left the text");
    Check(std::all_of(text.begin(), text.begin() + head, blank) &&
              std::all_of(text.begin() + head + trimmed.size(), text.end(), blank) &&
              (trimmed.empty() || (!blank(trimmed.front()) && !blank(trimmed.back()))),
          "TrimBlanksView did not take off exactly the outer blanks");
    Check(TrimBlanks(text) == trimmed, "TrimBlanks differs from TrimBlanksView");

    // The text as a module's file name: its folder (up to its last backslash) and fileName.
    std::string path = (lastBackslash == npos ? std::string() : text.substr(0, lastBackslash + 1)) + fileName;
    if (fileName.empty() || path.size() + 1 > maxBytes) path.clear();
    Check(DataFilePathFor(text, fileName, lead, maxBytes) == path, "DataFilePathFor: not folder and name, or past the buffer");
    return 0;
}

// Byte-string helpers that respect double-byte ANSI code pages.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace wayleap {

// Which bytes start a double-byte character in the active ANSI code page.
// The Windows side fills it from the system; tests use a fixed table, so the
// core never needs to ask the operating system.
class LeadBytes {
public:
    // A single-byte code page such as 1252: no lead bytes at all.
    LeadBytes() = default;

    void AddRange(unsigned char first, unsigned char last) {
        for (unsigned c = first; c <= last; ++c) lead_[c] = true;
        any_ = any_ || first <= last;
    }
    bool IsLead(char c) const { return lead_[static_cast<unsigned char>(c)]; }
    bool Any() const { return any_; }

    // Shift-JIS (code page 932): lead bytes 0x81-0x9F and 0xE0-0xFC.
    static LeadBytes ShiftJis() {
        LeadBytes t;
        t.AddRange(0x81, 0x9F);
        t.AddRange(0xE0, 0xFC);
        return t;
    }

private:
    std::array<bool, 256> lead_{};
    bool any_ = false;
};

// Length in bytes of the character starting at `pos`: 2 for a lead byte that
// has a following non-zero byte, else 1.
inline std::size_t CharLength(std::string_view text, std::size_t pos, const LeadBytes& lead) {
    if (lead.IsLead(text[pos]) && pos + 1 < text.size() && text[pos + 1] != '\0') return 2;
    return 1;
}

// Position of the first byte `c` that stands as a character of its own (not
// the trail byte of a double-byte character), at or after `from`; npos if none.
std::size_t FindChar(std::string_view text, char c, const LeadBytes& lead, std::size_t from = 0);

// Position of the last backslash that is a character of its own; npos if none.
std::size_t FindLastBackslash(std::string_view text, const LeadBytes& lead);

// Longest prefix of `text` with at most `maxBytes` bytes that does not end in
// the middle of a double-byte character.
std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes, const LeadBytes& lead);

// Copy of `text` without leading and trailing spaces and tabs. Trail bytes of
// double-byte characters are never 0x20 or 0x09, so a byte scan is exact.
std::string TrimBlanks(std::string_view text);

// The same, as a view of the bytes of `text`.
std::string_view TrimBlanksView(std::string_view text);

// The data-file path: the directory of `moduleFileName` (cut right after its
// last backslash) followed by `fileName`. Empty when the result would not fit
// in a buffer of `bufferChars` characters including the terminator, and when
// `fileName` is empty. A module name without a backslash gives `fileName`
// alone (opened relative to the current directory).
std::string DataFilePathFor(std::string_view moduleFileName, std::string_view fileName,
                            const LeadBytes& lead, std::size_t bufferChars = 260);

}  // namespace wayleap

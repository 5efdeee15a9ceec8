// The FolderList.dat format: parsing bytes into entries and writing entries to bytes.
#include "core/list_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace wayleap {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Length of the character at `pos` for tokenizing: a lead byte pairs with the
// next byte, except that a line end is never swallowed as a trail byte (no
// Windows double-byte code page uses CR or LF as a trail byte).
std::size_t TokenCharLength(std::string_view text, std::size_t pos, const LeadBytes& lead) {
    if (lead.IsLead(text[pos]) && pos + 1 < text.size() && !IsLineEnd(text[pos + 1])) return 2;
    return 1;
}

// The first CR or LF at or after `pos` (the end when there is none), where
// every byte is a character. Eight bytes at a time: the list file of a
// thousand entries is read for every menu.
std::size_t FindLineEnd(std::string_view text, std::size_t pos) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    for (; pos + 8 <= text.size(); pos += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        // A byte of `lf` or `cr` is zero where the text holds that character.
        const std::uint64_t lf = word ^ (kOnes * '\n'), cr = word ^ (kOnes * '\r');
        if ((((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs) break;
    }
    while (pos < text.size() && !IsLineEnd(text[pos])) ++pos;
    return pos;
}

// A flag field is true only when it is exactly "1".
bool FlagField(std::string_view field) { return field == "1"; }

std::string_view Field(std::string_view text, std::size_t start, std::size_t end) {
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Splits a data line into the path and the two flags.
void ParseDataLine(std::string_view token, const LeadBytes& lead, std::string_view& path, bool& expand,
                   bool& sort) {
    const std::string_view text = TrimBlanksView(token);
    std::size_t bar = FindChar(text, '|', lead);
    path = text.substr(0, bar);
    if (bar == std::string_view::npos) return;
    std::size_t start = bar + 1;
    bar = FindChar(text, '|', lead, start);
    expand = FlagField(Field(text, start, bar));
    if (bar == std::string_view::npos) return;
    start = bar + 1;
    bar = FindChar(text, '|', lead, start);
    sort = FlagField(Field(text, start, bar));
}

bool HasChar(std::string_view text, char c, const LeadBytes& lead) {
    return FindChar(text, c, lead) != std::string_view::npos;
}

bool HasLineBreakOrNul(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

// A path whose last byte is a lead byte without its trail byte: written out,
// that lead byte would pair with the "|" after it, and the line would read
// back as a different path with different flags.
bool EndsInLoneLeadByte(std::string_view text, const LeadBytes& lead) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i, lead)) last = i;
    return last != std::string_view::npos && last + 1 == text.size() && lead.IsLead(text[last]);
}

}  // namespace

ParseStop ParseFolderList(std::string_view bytes, const LeadBytes& lead, FolderList& list) {
    std::vector<FolderEntryView> entries;
    const ParseStop stop = ParseFolderListViews(bytes, lead, entries);
    list.Reserve(list.Count() + entries.size());
    for (const FolderEntryView& entry : entries) list.Append(entry.ToEntry());
    return stop;
}

ParseStop ParseFolderListViews(std::string_view bytes, const LeadBytes& lead, std::vector<FolderEntryView>& entries) {
    ParseStop stop = ParseStop::Complete;
    std::string_view text = bytes.substr(0, std::min(bytes.size(), kMaxFileBytes));
    if (bytes.size() > kMaxFileBytes) stop = ParseStop::SizeLimit;

    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        // Zero bytes at the very end (padding) hide nothing; other text after
        // the first zero byte is never read.
        if (stop == ParseStop::Complete &&
            std::any_of(text.begin() + nul, text.end(), [](char c) { return c != '\0'; })) {
            stop = ParseStop::TextAfterNul;
        }
        text = text.substr(0, nul);
    }

    // Two lines per entry: room for all of them up front.
    // (A record takes at least four bytes, so no file holds more than a quarter of its size.)
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    entries.reserve(entries.size() + std::min(lines / 2 + 1, kMaxFileBytes / 4));

    bool expectName = true;
    std::string_view pendingName;  // a view into `text`, which outlives the loop
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsLineEnd(text[pos])) ++pos;
        if (pos >= text.size()) break;
        const std::size_t start = pos;
        if (lead.Any()) {
            while (pos < text.size() && !IsLineEnd(text[pos])) pos += TokenCharLength(text, pos, lead);
        } else {
            pos = FindLineEnd(text, pos);
        }
        const std::string_view token = text.substr(start, pos - start);

        if (token.size() > (expectName ? kMaxNameLineBytes : kMaxDataLineBytes)) {
            return ParseStop::LongLine;
        }
        if (expectName) {
            pendingName = TrimBlanksView(token);
            expectName = false;
            continue;
        }
        expectName = true;
        std::string_view path;
        bool expand = false;
        bool sort = false;
        ParseDataLine(token, lead, path, expand, sort);
        if (!pendingName.empty() && !path.empty()) {
            entries.push_back({pendingName, path, expand, sort});
        }
    }
    return stop;
}

ListFileCheck CheckListFile(std::string_view bytes, const LeadBytes& lead) {
    if (bytes.size() > kMaxFileBytes) return {ListFileProblem::TooLarge, 0};
    bool expectName = true;
    std::size_t line = 0, nameLine = 0, entries = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        ++line;
        std::size_t end = pos;
        while (end < bytes.size() && !IsLineEnd(bytes[end])) end += TokenCharLength(bytes, end, lead);
        const std::string_view token = bytes.substr(pos, end - pos);
        pos = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
        if (token.empty()) continue;
        const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; };
        if (std::any_of(token.begin(), token.end(), control)) return {ListFileProblem::NotText, line};
        if (expectName) {
            if (token.size() > kMaxNameLineBytes || TrimBlanksView(token).empty()) return {ListFileProblem::NameLine, line};
            expectName = false;
            nameLine = line;
            continue;
        }
        const std::string_view text = TrimBlanksView(token);
        const std::size_t bar = FindChar(text, '|', lead);
        const std::string_view flags = bar == std::string_view::npos ? std::string_view() : text.substr(bar);
        if (token.size() > kMaxDataLineBytes || bar == 0 || bar > kMaxPathBytes || flags.size() != 4 ||
            flags[2] != '|' || (flags[1] != '0' && flags[1] != '1') || (flags[3] != '0' && flags[3] != '1')) {
            return {ListFileProblem::DataLine, line};
        }
        expectName = true;
        ++entries;
    }
    if (!expectName) return {ListFileProblem::NoDataLine, nameLine};
    return {entries ? ListFileProblem::None : ListFileProblem::Empty, 0};
}

EntryProblem CheckStorable(const FolderEntry& entry, const LeadBytes& lead) {
    if (HasLineBreakOrNul(entry.name)) return EntryProblem::BadCharInName;
    if (TrimBlanksView(entry.name).empty()) return EntryProblem::BlankName;
    if (entry.name.size() > kMaxNameLineBytes) return EntryProblem::NameTooLong;
    if (HasLineBreakOrNul(entry.path) || HasChar(entry.path, '|', lead) || EndsInLoneLeadByte(entry.path, lead)) {
        return EntryProblem::BadCharInPath;
    }
    if (TrimBlanksView(entry.path).empty()) return EntryProblem::EmptyPath;
    // The reader trims the whole data line, so a leading blank would be lost.
    if (entry.path.front() == ' ' || entry.path.front() == '\t') return EntryProblem::BadCharInPath;
    if (entry.path.size() > kMaxPathBytes) return EntryProblem::PathTooLong;
    return EntryProblem::None;
}

Serialized SerializeFolderList(const FolderList& list, const LeadBytes& lead) {
    Serialized out;
    std::size_t index = 0;
    std::size_t total = 0;
    for (const FolderEntry& entry : list) {
        const EntryProblem problem = CheckStorable(entry, lead);
        if (problem != EntryProblem::None) {
            out.status = SerializeStatus::BadEntry;
            out.badEntry = index;
            out.problem = problem;
            return out;
        }
        total += entry.name.size() + entry.path.size() + 6;
        ++index;
    }
    if (total > kMaxFileBytes) {
        out.status = SerializeStatus::TooLarge;
        return out;
    }
    out.bytes.reserve(total);
    for (const FolderEntry& entry : list) {
        out.bytes += entry.name;
        out.bytes += '\n';
        out.bytes += entry.path;
        out.bytes += entry.expand ? "|1|" : "|0|";
        out.bytes += entry.sort ? "1\n" : "0\n";
    }
    return out;
}

}  // namespace wayleap

// Byte-string helpers that respect double-byte ANSI code pages.
#include "core/ansi_text.h"

namespace wayleap {

std::size_t FindChar(std::string_view text, char c, const LeadBytes& lead, std::size_t from) {
    if (!lead.Any()) return text.find(c, from);  // single-byte code page: every byte is a character
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i, lead)) {
        if (text[i] == c) return i;
    }
    return std::string_view::npos;
}

std::size_t FindLastBackslash(std::string_view text, const LeadBytes& lead) {
    if (!lead.Any()) return text.rfind('\\');
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i, lead)) {
        if (text[i] == '\\') found = i;
    }
    return found;
}

std::string_view CutAtCharBoundary(std::string_view text, std::size_t maxBytes, const LeadBytes& lead) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + CharLength(text, end, lead);
        if (next > maxBytes) break;
        end = next;
    }
    return text.substr(0, end);
}

std::string_view TrimBlanksView(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0;
    while (first < text.size() && blank(text[first])) ++first;
    std::size_t last = text.size();
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string TrimBlanks(std::string_view text) { return std::string(TrimBlanksView(text)); }

std::string DataFilePathFor(std::string_view moduleFileName, std::string_view fileName,
                            const LeadBytes& lead, std::size_t bufferChars) {
    if (fileName.empty()) return {};
    std::size_t slash = FindLastBackslash(moduleFileName, lead);
    std::string path;
    if (slash != std::string_view::npos) path.assign(moduleFileName.substr(0, slash + 1));
    path.append(fileName);
    if (path.size() + 1 > bufferChars) return {};
    return path;
}

}  // namespace wayleap

// The system's ANSI code page: its lead bytes, for the core's text helpers,
// and conversions to and from UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/ansi_text.h"

namespace wayleap {

// Lead bytes of the active ANSI code page (none for single-byte code pages).
const LeadBytes& SystemLeadBytes();

// The text converted from the ANSI code page to UTF-16 (empty when it cannot be).
std::wstring AnsiToWide(std::string_view text);

// The UTF-16 text in the ANSI code page, when the code page holds every
// character of it exactly: converting back gives the same text. A character
// the code page can only approximate ("best fit", such as U+0101 shown as
// "a" in code page 1252) or not hold at all gives nullopt, so that nothing
// is ever shown or stored as a look-alike of another name.
std::optional<std::string> WideToAnsiExact(std::wstring_view text);

// The best the ANSI code page can give for the text: approximations and "?"
// where it has nothing better. Only for showing, never for finding a file.
std::string WideToAnsiBest(std::wstring_view text);

}  // namespace wayleap

// The lead bytes of the system's ANSI code page, for the core's text helpers.
#pragma once

#include <string>
#include <string_view>

#include "core/ansi_text.h"

namespace wayleap {

// Lead bytes of the active ANSI code page (none for single-byte code pages).
const LeadBytes& SystemLeadBytes();

// The text converted from the ANSI code page to UTF-16 (empty when it cannot be).
std::wstring AnsiToWide(std::string_view text);

}  // namespace wayleap

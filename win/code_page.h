// The lead bytes of the system's ANSI code page, for the core's text helpers.
#pragma once

#include "core/ansi_text.h"

namespace wayleap {

// Lead bytes of the active ANSI code page (none for single-byte code pages).
const LeadBytes& SystemLeadBytes();

}  // namespace wayleap

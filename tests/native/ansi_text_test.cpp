// Byte-string helpers for ANSI code pages. In Shift-JIS (code page 932) the
// second byte of a double-byte character may be 0x5C ("\"): 表 is 0x95 0x5C.
// Finding characters, cutting at character boundaries, trimming blanks and the
// data-file path beside the module are checked by the fuzz target against the
// characters the lead-byte table gives, and where they decide something:
// list-file fields, menu texts and patterns, rows and dialog fields.
#include "core/ansi_text.h"

#include <gtest/gtest.h>

using namespace wayleap;

TEST(AnsiText, ShiftJisLeadBytes) {
    const LeadBytes kShiftJis = LeadBytes::ShiftJis();
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(kShiftJis.IsLead(static_cast<char>(b)), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
    }
}

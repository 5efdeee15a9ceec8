// Byte-string helpers for ANSI code pages. In Shift-JIS (code page 932) the
// second byte of a double-byte character may be 0x5C ("\"): 表 is 0x95 0x5C.
// Finding characters, cutting at character boundaries and trimming blanks are
// checked where they decide something: list-file fields, menu texts and
// patterns, rows and dialog fields.
#include "core/ansi_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

}  // namespace

TEST(AnsiText, ShiftJisLeadBytes) {
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(kShiftJis.IsLead(static_cast<char>(b)), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
    }
}

// The module's directory plus the file name, or nothing when it would not fit
// the buffer (with its terminator) or there is no file name.
TEST(AnsiText, DataFilePathBesideTheModule) {
    const std::string dir245 = "C:\\" + std::string(241, 'd') + "\\";  // + 14 bytes = 259 characters
    struct Case { std::string module; const LeadBytes* lead; std::string path; std::string_view file = "FolderList.dat"; };
    const Case cases[] = {
        {"C:\\Program Files\\Wayleap\\SkipdoorCM.dll", &kSingleByte, "C:\\Program Files\\Wayleap\\FolderList.dat"},
        {"C:\\Apps\\\x95\x5C.exe", &kShiftJis, "C:\\Apps\\FolderList.dat"},  // 表.exe
        {"C:\\\x95\x5C\\W.exe", &kShiftJis, "C:\\\x95\x5C\\FolderList.dat"},
        {"Wayleap.exe", &kSingleByte, "FolderList.dat"},  // relative to the current directory
        {"C:\\Apps\\Wayleap.exe", &kSingleByte, "", ""},
        {dir245 + "W.exe", &kSingleByte, dir245 + "FolderList.dat"},
        {"C:\\d" + dir245.substr(3) + "W.exe", &kSingleByte, ""},  // one character more
    };
    for (const Case& c : cases) EXPECT_EQ(DataFilePathFor(c.module, c.file, *c.lead), c.path) << "[" << c.module << "]";
}

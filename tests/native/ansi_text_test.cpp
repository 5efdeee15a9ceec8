// Byte-string helpers for ANSI code pages. In Shift-JIS (code page 932) the
// second byte of a double-byte character may be 0x5C ("\"): 表 is 0x95 0x5C.
// Finding characters and cutting at character boundaries are checked where
// they decide something: list-file fields, menu texts and patterns, rows.
#include "core/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

}  // namespace

TEST(AnsiText, ShiftJisLeadBytes) {
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(kShiftJis.IsLead(static_cast<char>(b)), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
        EXPECT_FALSE(kSingleByte.IsLead(static_cast<char>(b)));
    }
}

TEST(AnsiText, TrimBlanksRemovesOuterSpacesAndTabsOnly) {
    struct Case { std::string_view in; std::string_view out; };
    const Case cases[] = {
        {"", ""}, {" \t\t ", ""}, {"\tMy  Work \t", "My  Work"},
        {"\rWork\n", "\rWork\n"}, {"\xA0Work\xA0", "\xA0Work\xA0"},  // line ends and no-break spaces stay
    };
    for (const Case& c : cases) EXPECT_EQ(TrimBlanks(c.in), c.out) << "[" << c.in << "]";
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
        {"\x95\x5C.exe", &kShiftJis, "FolderList.dat"},
        {"C:\\Apps\\Wayleap.exe", &kSingleByte, "", ""},
        {dir245 + "W.exe", &kSingleByte, dir245 + "FolderList.dat"},
        {"C:\\d" + dir245.substr(2) + "W.exe", &kSingleByte, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DataFilePathFor(c.module, c.file, *c.lead), c.path) << "[" << c.module << "]";
    EXPECT_EQ(DataFilePathFor("C:\\a\\x.exe", "FolderList.dat", kSingleByte, 20), "C:\\a\\FolderList.dat");
    EXPECT_EQ(DataFilePathFor("C:\\ab\\x.exe", "FolderList.dat", kSingleByte, 20), "");
}

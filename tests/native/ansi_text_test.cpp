// Byte-string helpers for ANSI code pages. In Shift-JIS (code page 932) the
// second byte of a double-byte character may be 0x5C ("\") or 0x7C ("|"):
// 表 is 0x95 0x5C, ソ is 0x83 0x5C, ポ is 0x83 0x7C. Such a byte must never
// be taken for a path separator or a field separator.
#include "core/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace wayleap;

namespace {

constexpr std::size_t npos = std::string_view::npos;
const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

}  // namespace

TEST(LeadBytesTable, ShiftJisRangesAndSingleByteDefault) {
    struct Case { unsigned byte; bool lead; };
    const Case cases[] = {
        {0x00, false}, {0x5C, false}, {0x7C, false}, {0x80, false},
        {0x81, true},  {0x95, true},  {0x9F, true},  {0xA0, false},
        {0xA6, false}, {0xDF, false}, {0xE0, true},  {0xFC, true},
        {0xFD, false}, {0xFF, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kShiftJis.IsLead(static_cast<char>(c.byte)), c.lead) << std::hex << c.byte;
        EXPECT_FALSE(kSingleByte.IsLead(static_cast<char>(c.byte))) << std::hex << c.byte;
    }
    EXPECT_TRUE(kShiftJis.Any());
    EXPECT_FALSE(kSingleByte.Any());
}

TEST(TrimBlanks, RemovesOuterSpacesAndTabsOnly) {
    struct Case { std::string_view in; std::string_view out; };
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\t ", ""},
        {"Work", "Work"},
        {"  Work  ", "Work"},
        {"\tMy  Work\t", "My  Work"},         // inner blanks stay
        {" a\tb ", "a\tb"},
        {"\rWork\n", "\rWork\n"},             // line ends are not blanks
        {"\xA0Work\xA0", "\xA0Work\xA0"},     // nor is a no-break space
        {" \x95\x5C\x83\x7C ", "\x95\x5C\x83\x7C"},
        {std::string_view(" a\0 ", 4), std::string_view("a\0", 2)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimBlanks(c.in), c.out) << "input: [" << c.in << "]";
    }
}

TEST(FindChar, SkipsTrailBytesOfDoubleByteCharacters) {
    struct Case { std::string_view text; char c; std::size_t from; std::size_t singleByte; std::size_t shiftJis; };
    const Case cases[] = {
        {"a|b", '|', 0, 1, 1},
        {"a|b|c", '|', 2, 3, 3},
        {"abc", '|', 0, npos, npos},
        {"", '|', 0, npos, npos},
        {"\x83|", '|', 0, 1, npos},             // ポ: the bar is its trail byte
        {"\x83||", '|', 0, 1, 2},
        {"\x81\x81|", '|', 0, 2, 2},            // a lead byte as trail byte
        {"\x81\x81\x81|", '|', 0, 3, npos},
        {"\x95\\\\", '\\', 0, 1, 2},
        {"x\x83", '|', 0, npos, npos},          // lead byte at the very end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindChar(c.text, c.c, kSingleByte, c.from), c.singleByte) << "[" << c.text << "]";
        EXPECT_EQ(FindChar(c.text, c.c, kShiftJis, c.from), c.shiftJis) << "[" << c.text << "]";
    }
}

TEST(FindLastBackslash, IgnoresTrailByte5C) {
    struct Case { std::string_view text; std::size_t singleByte; std::size_t shiftJis; };
    const Case cases[] = {
        {"", npos, npos},
        {"Wayleap.exe", npos, npos},
        {"C:\\Apps\\Wayleap.exe", 7, 7},
        {"C:\\", 2, 2},
        {"C:\\Apps\\\x95\x5C.dll", 9, 7},                // 表.dll
        {"C:\\\x95\x5C\\x.dll", 5, 5},                   // 表 as a directory
        {"C:\\\x83\x5C\x95\x5C", 6, 2},
        {"\x81\x81\\", 2, 2},
        {"\x81\x81\x81\\", 3, npos},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindLastBackslash(c.text, kSingleByte), c.singleByte) << "[" << c.text << "]";
        EXPECT_EQ(FindLastBackslash(c.text, kShiftJis), c.shiftJis) << "[" << c.text << "]";
    }
}

TEST(CutAtCharBoundary, NeverSplitsADoubleByteCharacter) {
    struct Case { std::string_view text; std::size_t max; std::string_view singleByte; std::string_view shiftJis; };
    const Case cases[] = {
        {"abcd", 4, "abcd", "abcd"},
        {"abcd", 9, "abcd", "abcd"},
        {"abcd", 2, "ab", "ab"},
        {"abcd", 0, "", ""},
        {"ab\x95\x5C", 3, "ab\x95", "ab"},
        {"ab\x95\x5C", 4, "ab\x95\x5C", "ab\x95\x5C"},
        {"\x95\x5C\x83\x7Cz", 3, "\x95\x5C\x83", "\x95\x5C"},
        {"\x95\x5C\x83\x7Cz", 4, "\x95\x5C\x83\x7C", "\x95\x5C\x83\x7C"},
        {"\x95\x5C", 1, "\x95", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutAtCharBoundary(c.text, c.max, kSingleByte), c.singleByte) << "[" << c.text << "] " << c.max;
        EXPECT_EQ(CutAtCharBoundary(c.text, c.max, kShiftJis), c.shiftJis) << "[" << c.text << "] " << c.max;
    }
}

TEST(DataFilePath, ModuleDirectoryPlusFileName) {
    struct Case { std::string_view module; std::string_view file; const LeadBytes* lead; std::string_view path; };
    const Case cases[] = {
        {"C:\\Program Files\\Wayleap\\SkipdoorCM.dll", "FolderList.dat", &kSingleByte,
         "C:\\Program Files\\Wayleap\\FolderList.dat"},
        {"C:\\Wayleap.exe", "FolderList.dat", &kSingleByte, "C:\\FolderList.dat"},
        // 表.exe: its trail byte 0x5C is not where the directory ends.
        {"C:\\Apps\\\x95\x5C.exe", "FolderList.dat", &kShiftJis, "C:\\Apps\\FolderList.dat"},
        {"C:\\\x95\x5C\\Wayleap.exe", "FolderList.dat", &kShiftJis, "C:\\\x95\x5C\\FolderList.dat"},
        // No directory (or no module name at all): relative to the current directory.
        {"Wayleap.exe", "FolderList.dat", &kSingleByte, "FolderList.dat"},
        {"", "FolderList.dat", &kSingleByte, "FolderList.dat"},
        {"\x95\x5C.exe", "FolderList.dat", &kShiftJis, "FolderList.dat"},
        // Without a file name (string resource missing) no file may be opened.
        {"C:\\Apps\\Wayleap.exe", "", &kSingleByte, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFilePathFor(c.module, c.file, *c.lead), c.path) << "[" << c.module << "]";
    }
}

TEST(DataFilePath, TooLongForTheBufferGivesEmptyPath) {
    const std::string file = "FolderList.dat";  // 14 bytes
    // Directory of 245 bytes + 14 = 259 characters: fits 260 with the terminator.
    const std::string fits = "C:\\" + std::string(241, 'd') + "\\";
    ASSERT_EQ(fits.size(), 245u);
    EXPECT_EQ(DataFilePathFor(fits + "Wayleap.exe", file, kSingleByte), fits + file);

    const std::string tooLong = "C:\\" + std::string(242, 'd') + "\\";
    EXPECT_EQ(DataFilePathFor(tooLong + "Wayleap.exe", file, kSingleByte), "");
    EXPECT_EQ(DataFilePathFor(std::string(5000, 'x') + "\\a.exe", file, kSingleByte), "");

    // The buffer size is the caller's: 20 characters hold 19 plus the terminator.
    EXPECT_EQ(DataFilePathFor("C:\\a\\x.exe", file, kSingleByte, 20), "C:\\a\\FolderList.dat");
    EXPECT_EQ(DataFilePathFor("C:\\ab\\x.exe", file, kSingleByte, 20), "");
}

// Reading FolderList.dat: bytes in, entries out. A load that did not take in
// the whole file must say so, because saving its list would drop the rest.
#include "core/list_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace wayleap {

static void PrintTo(ParseStop stop, std::ostream* os) {
    static const char* const kNames[] = {"Complete", "LongLine", "SizeLimit", "TextAfterNul"};
    *os << kNames[static_cast<int>(stop)];
}

static void PrintTo(const FolderEntry& e, std::ostream* os) {
    *os << '{';
    for (const std::string* s : {&e.name, &e.path}) {
        for (unsigned char c : *s) {
            if (c >= 0x20 && c < 0x7F) {
                *os << c;
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                *os << hex;
            }
        }
        *os << ", ";
    }
    *os << e.expand << ", " << e.sort << '}';
}

}  // namespace wayleap

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

const std::string kExample = "Projects\nC:\\Work\\Projects|1|1\nTemp\nD:\\Temp|0|0\n";

FolderList ListOf(std::vector<FolderEntry> entries) {
    FolderList list;
    for (const FolderEntry& e : entries) list.Append(e);
    return list;
}

const FolderList kExampleList = ListOf({
    {"Projects", "C:\\Work\\Projects", true, true},
    {"Temp", "D:\\Temp", false, false},
});

struct Parsed {
    ParseStop stop;
    FolderList list;
};

Parsed Parse(const std::string& bytes, const LeadBytes& lead = kSingleByte) {
    Parsed out{ParseStop::Complete, {}};
    out.stop = ParseFolderList(bytes, lead, out.list);
    return out;
}

// A record of exactly 256 bytes: 125-byte name, LF, 125-byte path, "|1|0", LF.
std::string Record256(int i, FolderEntry* entry) {
    std::string name = "Name " + std::to_string(i);
    std::string path = "C:\\Folder" + std::to_string(i) + "\\";
    name.resize(125, 'n');
    path.resize(125, 'p');
    if (entry) *entry = {name, path, true, false};
    return name + "\n" + path + "|1|0\n";
}

}  // namespace

TEST(ListFileParse, ExampleFileReadsAsTwoEntries) {
    ASSERT_EQ(kExample.size(), 47u);
    const Parsed p = Parse(kExample);
    EXPECT_EQ(p.stop, ParseStop::Complete);
    EXPECT_EQ(p.list, kExampleList);
}

TEST(ListFileParse, EmptyOrLineEndsOnlyGivesEmptyListComplete) {
    for (const std::string& bytes : {""s, "\n"s, "\r\n\r\n\n\r"s, "\0\0\0"s}) {
        const Parsed p = Parse(bytes);
        EXPECT_EQ(p.stop, ParseStop::Complete) << testing::PrintToString(bytes);
        EXPECT_TRUE(p.list.Empty()) << testing::PrintToString(bytes);
    }
}

TEST(ListFileParse, CrLfAndBlankLinesReadLikeLf) {
    const std::string variants[] = {
        "Projects\r\nC:\\Work\\Projects|1|1\r\nTemp\r\nD:\\Temp|0|0\r\n",
        "Projects\rC:\\Work\\Projects|1|1\rTemp\rD:\\Temp|0|0\r",
        "\n\nProjects\n\nC:\\Work\\Projects|1|1\n\n\nTemp\nD:\\Temp|0|0\n\n",
        "Projects\n\r\n\rC:\\Work\\Projects|1|1\r\r\nTemp\n\n\rD:\\Temp|0|0",
        "Projects\nC:\\Work\\Projects|1|1\nTemp\nD:\\Temp|0|0",  // no final line end
    };
    for (const std::string& bytes : variants) {
        const Parsed p = Parse(bytes);
        EXPECT_EQ(p.stop, ParseStop::Complete) << testing::PrintToString(bytes);
        EXPECT_EQ(p.list, kExampleList) << testing::PrintToString(bytes);
    }
}

TEST(ListFileParse, AppendsToTheGivenListWithoutClearingIt) {
    FolderList list = ListOf({{"Earlier", "C:\\Earlier", false, true}});
    EXPECT_EQ(ParseFolderList(kExample, kSingleByte, list), ParseStop::Complete);
    EXPECT_EQ(list, ListOf({{"Earlier", "C:\\Earlier", false, true},
                            {"Projects", "C:\\Work\\Projects", true, true},
                            {"Temp", "D:\\Temp", false, false}}));
}

// A record without a usable name or path is dropped, but the name/data
// alternation goes on, so the records after it still read correctly.
TEST(ListFileParse, IncompleteRecordsAreDroppedAndLaterRecordsStayInStep) {
    const FolderEntry b{"B", "C:\\B", false, true};
    struct Case { const char* what; std::string bytes; FolderList list; };
    const Case cases[] = {
        {"spaces as name", "   \nC:\\A|1|1\nB\nC:\\B|0|1\n", ListOf({b})},
        {"tabs as name", "\t \t\nC:\\A|1|1\nB\nC:\\B|0|1\n", ListOf({b})},
        {"spaces as data line", "A\n    \nB\nC:\\B|0|1\n", ListOf({b})},
        {"empty path", "A\n|1|1\nB\nC:\\B|0|1\n", ListOf({b})},
        {"blanks as path", "A\n   |1|1\nB\nC:\\B|0|1\n", ListOf({b})},
        {"name without data line at end", "B\nC:\\B|0|1\nA\n", ListOf({b})},
        {"name without data line, blanks after", "B\nC:\\B|0|1\nA\n  \t", ListOf({b})},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.bytes);
        EXPECT_EQ(p.stop, ParseStop::Complete) << c.what;
        EXPECT_EQ(p.list, c.list) << c.what;
    }
}

TEST(ListFileParse, DataLineFieldsAndExactFlags) {
    struct Case { std::string line; std::string path; bool expand; bool sort; };
    const Case cases[] = {
        {"C:\\A", "C:\\A", false, false},          // no "|": all path
        {"C:\\A|", "C:\\A", false, false},
        {"C:\\A|1", "C:\\A", true, false},         // ends after the expand field
        {"C:\\A|1|1", "C:\\A", true, true},
        {"C:\\A|0|1", "C:\\A", false, true},       // sort without expand
        {"C:\\A||1", "C:\\A", false, true},
        {"C:\\A|1|0|1", "C:\\A", true, false},     // a third "|" and what follows are ignored
        {"C:\\A|1|1|junk|0", "C:\\A", true, true},
        {"C:\\A| 1|1", "C:\\A", false, true},      // only the whole line is trimmed
        {"C:\\A|1 |1", "C:\\A", false, true},
        {"C:\\A|1| 1", "C:\\A", true, false},
        {"C:\\A|1|1 ", "C:\\A", true, true},       // ...so a blank at the line end goes
        {"C:\\A|1|1\t \t", "C:\\A", true, true},
        {"C:\\A|yes|true", "C:\\A", false, false},
        {"C:\\A|01|11", "C:\\A", false, false},
        {"C:\\A|2|-1", "C:\\A", false, false},
        {"  \tC:\\A|1|1  ", "C:\\A", true, true},
        {"C:\\My Folder |1|0", "C:\\My Folder ", true, false},  // blanks before "|" are path
        {"C:\\A b\tc", "C:\\A b\tc", false, false},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse("Name\n" + c.line + "\n");
        EXPECT_EQ(p.stop, ParseStop::Complete) << c.line;
        EXPECT_EQ(p.list, ListOf({{"Name", c.path, c.expand, c.sort}})) << c.line;
    }
}

TEST(ListFileParse, NameLineIsTrimmedButNeverSplit) {
    struct Case { std::string line; std::string name; };
    const Case cases[] = {
        {"Work|Home", "Work|Home"},
        {"|1|1", "|1|1"},
        {"  My  Work \t", "My  Work"},
        {"C:\\Looks|Like|Data", "C:\\Looks|Like|Data"},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.line + "\nD:\\X|0|0\n");
        EXPECT_EQ(p.list, ListOf({{c.name, "D:\\X", false, false}})) << c.line;
    }
}

// Name lines may have 260 bytes, data lines 264 (a 260-byte path plus
// "|x|y"), both counted before trimming. A longer line ends the reading;
// what was read before it is kept and the status tells the caller.
TEST(ListFileLineLimit, LongLineStopsReadingAndKeepsEarlierEntries) {
    const FolderEntry first{"First", "C:\\First", false, false};
    const FolderEntry last{"Last", "C:\\Last", true, false};
    const std::string name260 = std::string(260, 'n');
    const std::string path260 = "C:\\" + std::string(257, 'p');
    struct Case { const char* what; std::string nameLine; std::string dataLine; ParseStop stop; FolderList list; };
    const Case cases[] = {
        {"260-byte name", name260, "C:\\X|1|1", ParseStop::Complete,
         ListOf({first, {name260, "C:\\X", true, true}, last})},
        {"261-byte name", name260 + "n", "C:\\X|1|1", ParseStop::LongLine, ListOf({first})},
        {"261 bytes, blanks included", " " + name260, "C:\\X|1|1", ParseStop::LongLine, ListOf({first})},
        {"264-byte data line", "Long", path260 + "|1|1", ParseStop::Complete,
         ListOf({first, {"Long", path260, true, true}, last})},
        {"261-byte data line", "Long", path260 + "|", ParseStop::Complete,
         ListOf({first, {"Long", path260, false, false}, last})},
        {"265-byte data line", "Long", path260 + "p|1|1", ParseStop::LongLine, ListOf({first})},
        {"265 bytes, blanks included", "Long", path260 + "|1|1 ", ParseStop::LongLine, ListOf({first})},
    };
    for (const Case& c : cases) {
        const std::string bytes = "First\nC:\\First|0|0\n" + c.nameLine + "\n" + c.dataLine + "\nLast\nC:\\Last|1|0\n";
        const Parsed p = Parse(bytes);
        EXPECT_EQ(p.stop, c.stop) << c.what;
        EXPECT_EQ(p.list, c.list) << c.what;
    }
}

// A zero byte ends the text. Text hidden behind it is reported so that a
// save does not wipe it out; zero padding at the end hides nothing.
TEST(ListFileNul, ZeroByteEndsTheTextAndHiddenTextIsReported) {
    struct Case { const char* what; std::string bytes; ParseStop stop; FolderList list; };
    const Case cases[] = {
        {"between records", "A\nC:\\A|1|1\n\0B\nC:\\B|0|0\n"s, ParseStop::TextAfterNul,
         ListOf({{"A", "C:\\A", true, true}})},
        {"inside a data line", "A\nC:\\A|1\0|1\n"s, ParseStop::TextAfterNul,
         ListOf({{"A", "C:\\A", true, false}})},
        {"after a name line", "A\n\0C:\\A|1|1\n"s, ParseStop::TextAfterNul, ListOf({})},
        {"first byte", "\0"s + kExample, ParseStop::TextAfterNul, ListOf({})},
        {"padding at the end", kExample + "\0\0\0\0"s, ParseStop::Complete, kExampleList},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.bytes);
        EXPECT_EQ(p.stop, c.stop) << c.what;
        EXPECT_EQ(p.list, c.list) << c.what;
    }
}

TEST(ListFileSizeLimit, ExactlyTheLimitIsReadWhole) {
    std::string bytes;
    FolderList expected;
    for (int i = 0; i < 256; ++i) {
        FolderEntry e;
        bytes += Record256(i, &e);
        expected.Append(e);
    }
    ASSERT_EQ(bytes.size(), kMaxFileBytes);

    Parsed p = Parse(bytes);
    EXPECT_EQ(p.stop, ParseStop::Complete);
    EXPECT_EQ(p.list, expected);

    // One byte more: the same entries, but the caller learns that not all was read.
    p = Parse(bytes + "X");
    EXPECT_EQ(p.stop, ParseStop::SizeLimit);
    EXPECT_EQ(p.list, expected);
}

TEST(ListFileSizeLimit, LineCutAtTheLimitIsTakenAsCutAndReported) {
    std::string bytes;
    for (int i = 0; i < 255; ++i) bytes += Record256(i, nullptr);
    bytes += "Last\n";
    const std::string path = "C:\\Long\\" + std::string(250, 'p');
    bytes += path + "|1|1\nAfter\nC:\\After|0|0\n";
    const std::size_t keptPathBytes = kMaxFileBytes - 255 * 256 - 5;
    ASSERT_LT(keptPathBytes, path.size());

    const Parsed p = Parse(bytes);
    EXPECT_EQ(p.stop, ParseStop::SizeLimit);
    ASSERT_EQ(p.list.Count(), 256u);
    EXPECT_EQ(p.list.At(255), (FolderEntry{"Last", path.substr(0, keptPathBytes), false, false}));
}

// Shift-JIS: a trail byte 0x7C is not a field separator, a trail byte 0x5C is
// just part of the name or path, and a lead byte at a line end does not hide it.
TEST(ListFileDoubleByte, TrailBytesAreNotSeparators) {
    struct Case { std::string bytes; FolderEntry shiftJis; FolderEntry singleByte; };
    const Case cases[] = {
        {"\x95\x5C\x83\x7C\nC:\\\x95\x5C\\\x83\x7C|1|0\n",
         {"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83\x7C", true, false},
         {"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83", false, true}},
        {"\x83\x7C|x\nD:\\\x83\x7C\x83\x8A\\\x83\x5C|0|1\n",
         {"\x83\x7C|x", "D:\\\x83\x7C\x83\x8A\\\x83\x5C", false, true},
         {"\x83\x7C|x", "D:\\\x83", false, false}},
        {"N\x81\r\nC:\\\x83\x7C|1|1\r\n",
         {"N\x81", "C:\\\x83\x7C", true, true},
         {"N\x81", "C:\\\x83", false, true}},
    };
    for (const Case& c : cases) {
        const Parsed sjis = Parse(c.bytes, kShiftJis);
        EXPECT_EQ(sjis.stop, ParseStop::Complete);
        EXPECT_EQ(sjis.list, ListOf({c.shiftJis})) << testing::PrintToString(c.bytes);
        EXPECT_EQ(Parse(c.bytes, kSingleByte).list, ListOf({c.singleByte})) << testing::PrintToString(c.bytes);
    }
}

// The sample files beside the tests, which also seed the fuzzer.
TEST(ListFileSamples, SampleFilesReadAsDescribed) {
    const std::string path260 = "C:\\" + std::string(257, 'p');
    struct Case { const char* file; const LeadBytes* lead; ParseStop stop; FolderList list; };
    const Case cases[] = {
        {"example47.dat", &kSingleByte, ParseStop::Complete, kExampleList},
        {"crlf_blank_lines.dat", &kSingleByte, ParseStop::Complete, kExampleList},
        {"fields_and_flags.dat", &kSingleByte, ParseStop::Complete,
         ListOf({{"No bars", "C:\\Plain", false, false},
                 {"Expand only", "C:\\Expand", true, false},
                 {"Third bar", "C:\\Third", true, true},
                 {"Blank before digit", "C:\\Before", false, true},
                 {"Trailing blank", "C:\\After ", false, true},
                 {"Pipe|in|name", "C:\\Pipe", false, true},
                 {"Last", "C:\\Last", false, false}})},
        {"cp932.dat", &kShiftJis, ParseStop::Complete,
         ListOf({{"\x95\x5C\x8E\xA6", "C:\\\x95\x5C\x8E\xA6", true, true},
                 {"\x83\x7C\x83\x8A|x", "D:\\\x83\x7C\x83\x8A\\\x83\x5C", false, true},
                 {"\x83\x5C", "E:\\\x83\x7C", true, false}})},
        {"nul_inside.dat", &kSingleByte, ParseStop::TextAfterNul, ListOf({{"Kept", "C:\\Kept", true, false}})},
        {"long_lines.dat", &kSingleByte, ParseStop::LongLine,
         ListOf({{"First", "C:\\First", false, false}, {"N" + std::string(259, 'n'), path260, true, false}})},
    };
    for (const Case& c : cases) {
        std::ifstream in(std::string(WAYLEAP_TEST_DATA) + "/lists/" + c.file, std::ios::binary);
        ASSERT_TRUE(in) << c.file;
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const Parsed p = Parse(bytes, *c.lead);
        EXPECT_EQ(p.stop, c.stop) << c.file;
        EXPECT_EQ(p.list, c.list) << c.file;
    }
}

// Writing FolderList.dat: entries in, bytes out. Whatever the writer accepts
// must read back as the same list; whatever would not is refused with the
// index of the entry and the reason, and then nothing is produced at all.
#include "core/list_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace wayleap {

static void PrintTo(EntryProblem problem, std::ostream* os) {
    static const char* const kNames[] = {"None", "BlankName", "NameTooLong", "BadCharInName",
                                         "EmptyPath", "PathTooLong", "BadCharInPath"};
    *os << kNames[static_cast<int>(problem)];
}

static void PrintTo(SerializeStatus status, std::ostream* os) {
    static const char* const kNames[] = {"Ok", "BadEntry", "TooLarge"};
    *os << kNames[static_cast<int>(status)];
}

static void PrintTo(ParseStop stop, std::ostream* os) {
    static const char* const kNames[] = {"Complete", "LongLine", "SizeLimit", "TextAfterNul"};
    *os << kNames[static_cast<int>(stop)];
}

}  // namespace wayleap

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

FolderList ListOf(std::vector<FolderEntry> entries) {
    FolderList list;
    for (const FolderEntry& e : entries) list.Append(e);
    return list;
}

}  // namespace

TEST(ListFileWrite, ExampleListGivesThe47ByteFile) {
    const FolderList list = ListOf({{"Projects", "C:\\Work\\Projects", true, true}, {"Temp", "D:\\Temp", false, false}});
    const Serialized out = SerializeFolderList(list, kSingleByte);
    ASSERT_EQ(out.status, SerializeStatus::Ok);
    EXPECT_EQ(out.bytes, "Projects\nC:\\Work\\Projects|1|1\nTemp\nD:\\Temp|0|0\n");

    std::ifstream in(WAYLEAP_TEST_DATA "/lists/example47.dat", std::ios::binary);
    ASSERT_TRUE(in);
    EXPECT_EQ(out.bytes, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

TEST(ListFileWrite, EmptyListGivesEmptyFile) {
    const Serialized out = SerializeFolderList(FolderList(), kSingleByte);
    EXPECT_EQ(out.status, SerializeStatus::Ok);
    EXPECT_EQ(out.bytes, "");
}

TEST(ListFileRoundTrip, WrittenListReadsBackTheSame) {
    const std::string name260(260, 'n');
    const std::string path260 = "C:\\" + std::string(257, 'p');
    struct Case { const char* what; const LeadBytes* lead; FolderList list; };
    const Case cases[] = {
        {"duplicates keep their places", &kSingleByte,
         ListOf({{"Work", "C:\\Work", false, false}, {"Temp", "D:\\Temp", true, false},
                 {"Work", "C:\\Work", false, false}, {"Work", "C:\\Work", false, false}})},
        {"every flag combination, sort without expand kept", &kSingleByte,
         ListOf({{"A", "C:\\A", false, false}, {"B", "C:\\B", false, true},
                 {"C", "C:\\C", true, false}, {"D", "C:\\D", true, true}})},
        {"bars in names", &kSingleByte,
         ListOf({{"a|b", "C:\\A", true, false}, {"|1|1", "C:\\B", false, true}, {"|", "C:\\C", false, false}})},
        {"blanks inside and before the bar", &kSingleByte,
         ListOf({{"My  Work", "C:\\My Work ", true, true}, {"Tab\tName", "C:\\x\ty", false, false}})},
        {"longest name and path", &kSingleByte,
         ListOf({{name260, path260, true, true}, {"After", "C:\\After", false, true}})},
        {"Shift-JIS trail bytes 0x5C and 0x7C", &kShiftJis,
         ListOf({{"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83\x7C", true, false},
                 {"\x83\x7C|\x83\x5C", "D:\\\x83\x5C\x83\x7C", false, true},
                 {"N\x81", "E:\\\x81\x81", true, true}})},
    };
    for (const Case& c : cases) {
        const Serialized out = SerializeFolderList(c.list, *c.lead);
        ASSERT_EQ(out.status, SerializeStatus::Ok) << c.what;
        FolderList back;
        EXPECT_EQ(ParseFolderList(out.bytes, *c.lead, back), ParseStop::Complete) << c.what;
        EXPECT_EQ(back, c.list) << c.what;
    }
}

// Each bad entry sits between two good ones: the whole save is refused, the
// index points at it, and no partial file content comes out.
TEST(ListFileWrite, RefusesEntriesThatWouldNotReadBack) {
    const std::string path260 = "C:\\" + std::string(257, 'p');
    struct Case { const char* what; const LeadBytes* lead; FolderEntry entry; EntryProblem problem; };
    const Case cases[] = {
        {"empty name", &kSingleByte, {"", "C:\\A"}, EntryProblem::BlankName},
        {"blank name", &kSingleByte, {" \t ", "C:\\A"}, EntryProblem::BlankName},
        {"261-byte name", &kSingleByte, {std::string(261, 'n'), "C:\\A"}, EntryProblem::NameTooLong},
        {"LF in name", &kSingleByte, {"A\nB", "C:\\A"}, EntryProblem::BadCharInName},
        {"CR in name", &kSingleByte, {"A\rB", "C:\\A"}, EntryProblem::BadCharInName},
        {"NUL in name", &kSingleByte, {"A\0B"s, "C:\\A"}, EntryProblem::BadCharInName},
        {"empty path", &kSingleByte, {"A", ""}, EntryProblem::EmptyPath},
        {"blank path", &kSingleByte, {"A", " \t"}, EntryProblem::EmptyPath},
        {"261-byte path", &kSingleByte, {"A", path260 + "p"}, EntryProblem::PathTooLong},
        {"bar in path", &kSingleByte, {"A", "C:\\a|b"}, EntryProblem::BadCharInPath},
        {"LF in path", &kSingleByte, {"A", "C:\\a\nb"}, EntryProblem::BadCharInPath},
        {"CR in path", &kSingleByte, {"A", "C:\\a\r"}, EntryProblem::BadCharInPath},
        {"leading blank in path", &kSingleByte, {"A", " C:\\a"}, EntryProblem::BadCharInPath},
        {"leading tab in path", &kSingleByte, {"A", "\tC:\\a"}, EntryProblem::BadCharInPath},
        {"NUL in path", &kSingleByte, {"A", "C:\\a\0b"s}, EntryProblem::BadCharInPath},
        // 0x83 0x7C is one character in Shift-JIS, but a bar in a single-byte code page.
        {"trail byte 0x7C, single-byte", &kSingleByte, {"A", "C:\\\x83\x7C"}, EntryProblem::BadCharInPath},
        // A lead byte at the end of the path would take the following "|" as its trail byte.
        {"path ends in a lead byte", &kShiftJis, {"A", "C:\\\x83"}, EntryProblem::BadCharInPath},
        {"path ends in a lone lead byte", &kShiftJis, {"A", "C:\\\x81\x81\x81"}, EntryProblem::BadCharInPath},
    };
    for (const Case& c : cases) {
        const FolderList list = ListOf({{"Good", "C:\\Good", false, false}, c.entry, {"Also", "C:\\Also", true, true}});
        const Serialized out = SerializeFolderList(list, *c.lead);
        EXPECT_EQ(out.status, SerializeStatus::BadEntry) << c.what;
        EXPECT_EQ(out.badEntry, 1u) << c.what;
        EXPECT_EQ(out.problem, c.problem) << c.what;
        EXPECT_EQ(CheckStorable(c.entry, *c.lead), c.problem) << c.what;
        EXPECT_TRUE(out.bytes.empty()) << c.what;
    }
}

TEST(ListFileWrite, ReportsTheFirstBadEntry) {
    const FolderList list = ListOf({{"Good", "C:\\Good"}, {"Good", "C:\\Good"}, {"Bad", ""},
                                    {"", "C:\\Also bad"}, {"Good", "C:\\Good"}});
    const Serialized out = SerializeFolderList(list, kSingleByte);
    EXPECT_EQ(out.status, SerializeStatus::BadEntry);
    EXPECT_EQ(out.badEntry, 2u);
    EXPECT_EQ(out.problem, EntryProblem::EmptyPath);
}

// The reader takes in 65,536 bytes; a list whose file would be longer is not
// written, since the next load could not read it whole.
TEST(ListFileWrite, RefusesAListLargerThanTheReaderTakes) {
    FolderList list;
    for (int i = 0; i < 256; ++i) {
        std::string name = "Name " + std::to_string(i);
        name.resize(125, 'n');
        list.Append({name, "C:\\" + std::string(122, 'p'), i % 2 == 0, i % 3 == 0});  // 256 bytes each
    }
    const Serialized full = SerializeFolderList(list, kSingleByte);
    ASSERT_EQ(full.status, SerializeStatus::Ok);
    EXPECT_EQ(full.bytes.size(), kMaxFileBytes);
    FolderList back;
    EXPECT_EQ(ParseFolderList(full.bytes, kSingleByte, back), ParseStop::Complete);
    EXPECT_EQ(back, list);

    list.Append({"X", "C:\\"});  // 10 more bytes
    const Serialized over = SerializeFolderList(list, kSingleByte);
    EXPECT_EQ(over.status, SerializeStatus::TooLarge);
    EXPECT_TRUE(over.bytes.empty());
}

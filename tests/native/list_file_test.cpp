// FolderList.dat read and written: what the reader takes from bytes, where it
// stops (and says so, since saving a partial list would lose the rest), and
// what the writer refuses because it would not read back the same.
#include "core/list_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

FolderList ListOf(std::initializer_list<FolderEntry> entries) {
    FolderList list;
    for (const FolderEntry& e : entries) list.Append(e);
    return list;
}

const FolderEntry kA{"A", "C:\\A", true, true};
const FolderEntry kB{"B", "C:\\B", false, true};
const std::string kTwo = "A\nC:\\A|1|1\nB\nC:\\B|0|1\n";
const std::string kPath260 = "C:\\" + std::string(257, 'p');

struct ParseCase {
    std::string bytes;
    FolderList list;
    ParseStop stop = ParseStop::Complete;
    const LeadBytes* lead = &kSingleByte;
};

void ExpectParses(const ParseCase& c) {
    SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 80)));
    FolderList list;
    EXPECT_EQ(ParseFolderList(c.bytes, *c.lead, list), c.stop);
    EXPECT_EQ(list, c.list);
}

}  // namespace

// Lines end at any run of CR and LF; two lines per record, both trimmed; a
// record without name or path is dropped without putting the rest out of step.
TEST(ListFileParse, RecordsLinesFieldsAndFlags) {
    const ParseCase cases[] = {
        {"A\rC:\\A|1|1\r\r\n\nB\n\n\rC:\\B|0|1", ListOf({kA, kB})},  // blank lines; no final line end
        {"", {}}, {"\r\n\n", {}}, {"\0\0\0"s, {}}, {"X\n|1|1\n" + kTwo, ListOf({kA, kB})},  // empty path
        {" \t\nC:\\X|1|1\n" + kTwo, ListOf({kA, kB})},               // blank name
        {"X\n   |1|1\n" + kTwo + "Y\n", ListOf({kA, kB})},           // blank path; name without data line
        {"  A|b \t\n  C:\\A|1|1 \t\n", ListOf({{"A|b", "C:\\A", true, true}})},
        {"A\nC:\\A\nB\nC:\\B|\n", ListOf({{"A", "C:\\A"}, {"B", "C:\\B"}})},
        {"A\nC:\\A|1\nB\nC:\\B||1\n", ListOf({{"A", "C:\\A", true, false}, kB})},
        {"A\nC:\\A|1|1|0\nB\nC:\\B|0|1|junk\n", ListOf({kA, kB})},  // a third "|" and the rest are ignored
        {"A\nC:\\A| 1|1\nB\nC:\\B|1 |1\n", ListOf({{"A", "C:\\A", false, true}, {"B", "C:\\B", false, true}})},
        {"A\nC:\\My A |1|1\n", ListOf({{"A", "C:\\My A ", true, true}})},  // blanks before "|" are path
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

// Name lines may have 260 bytes, data lines 264, counted before trimming; a
// zero byte ends the text. A longer line or text after a zero byte ends the
// reading: what came before is kept and the stop is reported.
TEST(ListFileParse, StopsKeepWhatCameBeforeAndAreReported) {
    const FolderEntry first{"First", "C:\\First"};
    const std::string name260(260, 'n'), before = "First\nC:\\First|0|0\n", after = "\nL\nC:\\L|1|0\n";
    const FolderEntry last{"L", "C:\\L", true, false};
    const ParseCase cases[] = {
        {before + name260 + "\nC:\\X|1|1" + after, ListOf({first, {name260, "C:\\X", true, true}, last})},
        {before + name260 + "n\nC:\\X|1|1" + after, ListOf({first}), ParseStop::LongLine},
        {before + " " + name260 + "\nC:\\X|1|1" + after, ListOf({first}), ParseStop::LongLine},
        {before + "N\n" + kPath260 + "|1|1" + after, ListOf({first, {"N", kPath260, true, true}, last})},
        {before + "N\n" + kPath260 + "p|1|1" + after, ListOf({first}), ParseStop::LongLine},
        {before + "N\n" + kPath260 + "|1|1 " + after, ListOf({first}), ParseStop::LongLine},
        {before + "\0B\nC:\\B|0|0\n"s, ListOf({first}), ParseStop::TextAfterNul},
        {"A\nC:\\A|1\0|1\n"s, ListOf({{"A", "C:\\A", true, false}}), ParseStop::TextAfterNul},
        {"\0"s + before, {}, ParseStop::TextAfterNul},
        {before + "\0\0\0"s, ListOf({first})},  // zero padding at the end hides nothing
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

// Shift-JIS: a trail byte 0x7C is no field separator, a trail byte 0x5C is part
// of the text, and a lead byte at a line end does not swallow the line end.
TEST(ListFileParse, DoubleByteTrailBytesAreNoSeparators) {
    const std::string bytes = "\x95\x5C\x83\x7C\nC:\\\x95\x5C\\\x83\x7C|1|0\nN\x81\r\nD:\\\x83\x7C\x83\x5C|0|1\n";
    ExpectParses({bytes, ListOf({{"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83\x7C", true, false},
                                 {"N\x81", "D:\\\x83\x7C\x83\x5C", false, true}}), ParseStop::Complete, &kShiftJis});
    ExpectParses({bytes, ListOf({{"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83", false, true},
                                 {"N\x81", "D:\\\x83", false, false}})});
}

TEST(ListFileWrite, WrittenListsReadBackTheSame) {
    EXPECT_EQ(SerializeFolderList(ListOf({kA, kB}), kSingleByte).bytes, kTwo);
    struct Case { const LeadBytes* lead; FolderList list; };
    const Case cases[] = {
        {&kSingleByte, {}},
        {&kSingleByte, ListOf({{"a|b", "C:\\A"}, {"|1|1", "C:\\x\ty "}, {"My  A", "C:\\My A ", true}})},
        {&kShiftJis, ListOf({{"\x95\x5C\x83\x7C", "C:\\\x95\x5C\\\x83\x7C", true}, {"N\x81", "E:\\\x81\x81"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list.Count());
        const Serialized out = SerializeFolderList(c.list, *c.lead);
        ASSERT_EQ(out.status, SerializeStatus::Ok);
        ExpectParses({out.bytes, c.list, ParseStop::Complete, c.lead});
    }
}

// Each bad entry sits between two good ones: the whole save is refused with
// its index and reason, and no bytes come out. Paths with "|" or CR, and a
// "|" byte in a single-byte code page, are refused where the dialogs' fields
// are held against the writer (FolderRows.DialogsTakeExactlyWhatTheFileCanHold),
// as are names with CR or LF.
TEST(ListFileWrite, RefusesEntriesThatWouldNotReadBack) {
    struct Case { FolderEntry entry; EntryProblem problem; const LeadBytes* lead = &kSingleByte; };
    const Case cases[] = {
        {{"", "C:\\A"}, EntryProblem::BlankName}, {{" \t", "C:\\A"}, EntryProblem::BlankName},
        {{std::string(261, 'n'), "C:\\A"}, EntryProblem::NameTooLong}, {{"A\0B"s, "C:\\A"}, EntryProblem::BadCharInName},
        {{"A", " \t"}, EntryProblem::EmptyPath}, {{"A", kPath260 + "p"}, EntryProblem::PathTooLong},
        {{"A", "C:\\a\nb"}, EntryProblem::BadCharInPath}, {{"A", "C:\\a\0b"s}, EntryProblem::BadCharInPath},
        {{"A", " C:\\a"}, EntryProblem::BadCharInPath},           // the reader would trim it
        {{"A", "C:\\\x81\x81\x83"}, EntryProblem::BadCharInPath, &kShiftJis},  // lead byte would pair with "|"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.entry.name.substr(0, 9) + " / " + c.entry.path.substr(0, 9)));
        const Serialized out = SerializeFolderList(ListOf({kA, c.entry, kB}), *c.lead);
        EXPECT_EQ(out.status, SerializeStatus::BadEntry);
        EXPECT_EQ(out.badEntry, 1u);
        EXPECT_EQ(out.problem, c.problem);
        EXPECT_TRUE(out.bytes.empty());
    }
}

// The reader takes 64 KiB and says when there is more; the writer refuses a
// file longer than that, since the next load could not read it whole.
TEST(ListFile, The64KiBLimit) {
    FolderList list;
    std::string bytes;
    for (int i = 1000; i < 1256; ++i) {  // 256 records of 256 bytes: 125-byte name and path, "|1|0", two LFs
        const std::string n = std::to_string(i);
        list.Append({n + std::string(121, 'n'), "C:\\" + n + std::string(118, 'p'), true, false});
        bytes += list.At(i - 1000).name + "\n" + list.At(i - 1000).path + "|1|0\n";
    }
    ASSERT_EQ(bytes.size(), kMaxFileBytes);
    ExpectParses({bytes, list});
    ExpectParses({bytes + "X", list, ParseStop::SizeLimit});  // one byte more
    EXPECT_EQ(SerializeFolderList(list, kSingleByte).bytes, bytes);
    list.Append({"X", "C:\\"});
    const Serialized over = SerializeFolderList(list, kSingleByte);
    EXPECT_EQ(over.status, SerializeStatus::TooLarge);
    EXPECT_TRUE(over.bytes.empty());
}

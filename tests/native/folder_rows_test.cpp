// The Folders page's decisions on plain data: row texts and the rebuild on
// Apply, Up and Down, Delete and its question, the in-place rename and the
// fields the Add and Modify dialogs take.
#include "core/folder_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/list_file.h"

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();
const std::string kHyou = "\x95\x5C", kPo = "\x83\x7C";  // Shift-JIS trail bytes "\" and "|"

// Rows "ABCD..." with the rows named in `selected` selected.
std::vector<bool> Selection(std::string_view selected, std::size_t rows) {
    std::vector<bool> states(rows, false);
    for (char label : selected) states.at(static_cast<std::size_t>(label - 'A')) = true;
    return states;
}

}  // namespace

// Rows show "Yes"/"No"; Apply reads each row back as the list view's 261-byte
// buffers give it (cut at 260 bytes on a character boundary, not trimmed),
// and a flag is set only by exactly "Yes".
TEST(FolderRows, RowsAndTheRebuildOnApply) {
    EXPECT_EQ(RowFromEntry({"W", "C:\\W", true, false}), (FolderRow{"W", "C:\\W", "Yes", "No"}));
    const std::string a258(258, 'a'), a259(259, 'a');
    struct Case { FolderRow row; const LeadBytes* lead; FolderEntry entry; };
    const Case cases[] = {
        {{" Spaced\t", "C:\\S ", "Yes", "No"}, &kSingleByte, {" Spaced\t", "C:\\S ", true, false}},
        {{"A", "C:\\A", "yes", "Yes "}, &kSingleByte, {"A", "C:\\A"}}, {{"A", "C:\\A", "Yess", "Ye"}, &kSingleByte, {"A", "C:\\A"}},
        {{a259 + "bc", std::string(1000, 'p'), "No", "Yes"}, &kSingleByte, {a259 + "b", std::string(260, 'p'), false, true}},
        {{a258 + kHyou + "b", a259 + kHyou, "No", "No"}, &kShiftJis, {a258 + kHyou, a259, false, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(ListFromRows({{"F", "C:\\F", "No", "No"}, c.row}, *c.lead).At(1), c.entry);
}

// Every selected row passes the nearest unselected row above it (Up) or
// below it (Down); a selected block at the top (bottom) stays. Apply is
// enabled exactly when something moved.
TEST(FolderRows, UpAndDown) {
    struct Case { std::string_view selected; bool up; std::string after; };
    const Case cases[] = {
        {"BD", true, "BADCE"},  {"AC", true, "ACBDE"}, {"AB", true, "ABCDE"}, {"", true, "ABCDE"},
        {"BD", false, "ACBED"}, {"AC", false, "BADCE"}, {"DE", false, "ABCDE"}, {"AB", false, "CABDE"},
        {"ACE", false, "BADCE"}, {"ABCDE", false, "ABCDE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.up ? "Up " : "Down ") + std::string(c.selected));
        const std::vector<bool> selected = Selection(c.selected, 5);
        const std::vector<RowSwap> swaps = c.up ? SwapsForUp(selected) : SwapsForDown(selected);
        std::vector<char> cells = {'A', 'B', 'C', 'D', 'E'};
        ApplySwaps(cells, swaps);
        EXPECT_EQ(std::string(cells.begin(), cells.end()), c.after);
        EXPECT_EQ(swaps.empty(), c.after == "ABCDE");
    }
}

TEST(FolderRows, DeleteRemovesTheSelectedRowsAndAsksFirst) {
    struct Case { std::string_view selected; std::vector<std::size_t> steps; std::string left; std::string question; };
    const Case cases[] = {
        {"", {}, "ABCD", ""}, {"D", {3}, "ABC", "one %d"}, {"BD", {1, 2}, "AC", "Delete 2 of %d?"},  // none: nothing asked
        {"ABC", {0, 0, 0}, "D", "Delete 3 of %d?"}, {"ACD", {0, 1, 1}, "B", "Delete 3 of %d?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        const std::vector<std::size_t> steps = RowsToDelete(Selection(c.selected, 4));
        EXPECT_EQ(steps, c.steps);
        std::vector<char> rows = {'A', 'B', 'C', 'D'};
        ApplyDeletions(rows, steps);
        EXPECT_EQ(std::string(rows.begin(), rows.end()), c.left);
        EXPECT_EQ(DeleteQuestion(c.selected.size(), "one %d", "Delete %d of %d?"), c.question);
    }
    EXPECT_EQ(DeleteQuestion(12, "one", "Delete them?"), "Delete them?");
}

// A rename is kept as typed, unless Apply would read it back blank (cut to
// 260 bytes) or it holds CR or LF.
TEST(FolderRows, InPlaceRename) {
    const std::string blank259(259, ' ');
    struct Case { std::string name; const LeadBytes* lead; bool accepted; };
    const Case cases[] = {
        {"  Work\t", &kSingleByte, true}, {"\xA0", &kSingleByte, true}, {kHyou + kPo, &kShiftJis, true},
        {"", &kSingleByte, false}, {"\t \t", &kSingleByte, false}, {"Wo\nrk", &kSingleByte, false},
        {"Work\r", &kSingleByte, false}, {blank259 + "x", &kSingleByte, true}, {blank259 + " x", &kSingleByte, false},
        {blank259 + kHyou, &kShiftJis, false}, {blank259 + kHyou, &kSingleByte, true},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceptsNewName(c.name, *c.lead), c.accepted) << "[" << c.name << "]";
}

// The first problem in field order. Whether a field is refused at all (a "|"
// that is a trail byte is none) is checked against the file below.
TEST(FolderRows, AddAndModifyFields) {
    struct Case { std::string name; std::string path; FieldProblem modify; FieldProblem add; };
    const Case cases[] = {
        {"", "C:\\Work", FieldProblem::BlankName, FieldProblem::EmptyName},
        {" \t", " ", FieldProblem::BlankName, FieldProblem::BlankName},
        {"Wo\rrk", "", FieldProblem::BlankPath, FieldProblem::NameHasLineBreak},
        {"\r\n", "C:\\a|b", FieldProblem::NameHasLineBreak, FieldProblem::NameHasLineBreak},
        {"A | B", "C:\\a\nb", FieldProblem::PathHasLineBreakOrBar, FieldProblem::None},
        {"Work", "C:\\Work|1|0", FieldProblem::PathHasLineBreakOrBar, FieldProblem::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("[" + c.name + "] [" + c.path + "]");
        EXPECT_EQ(CheckModifyFields(c.name, c.path, kSingleByte), c.modify);
        EXPECT_EQ(CheckAddName(c.name), c.add);
    }
}

// What the dialogs take, trimmed, is what the file can hold, and what it
// cannot hold they refuse (fields of at most 260 bytes).
TEST(FolderRows, DialogsTakeExactlyWhatTheFileCanHold) {
    const std::vector<std::string> names = {"Work", " W ", "", "\t", "a\rb", "a\n", "a|b", kHyou, std::string(260, 'n')};
    const std::vector<std::string> paths = {"C:\\W", " C:\\W\t", "", "  ", "C:\\a|b", "C:\\a\r", "C:\\" + kPo,
                                            kHyou + "\\x", std::string(260, 'p'), "  " + std::string(258, 'p')};
    for (const LeadBytes* lead : {&kSingleByte, &kShiftJis}) {
        for (const std::string& name : names) {
            for (const std::string& path : paths) {
                SCOPED_TRACE("[" + name + "] [" + path + "]" + (lead->Any() ? " Shift-JIS" : ""));
                const bool storable = CheckStorable({TrimBlanks(name), TrimBlanks(path)}, *lead) == EntryProblem::None;
                EXPECT_EQ(CheckModifyFields(name, path, *lead) == FieldProblem::None, storable);
                if (path == "C:\\W") EXPECT_EQ(CheckAddName(name) == FieldProblem::None, storable);
            }
        }
    }
}

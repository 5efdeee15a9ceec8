// The Folders page's decisions on plain data: the row texts and the rebuild
// of the folder list on Apply, the exchanges of Up and Down, the rows Delete
// removes and the question it asks, and which names and paths the in-place
// rename and the Add and Modify dialogs take.
#include "core/folder_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_file.h"

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();

// Shift-JIS characters whose trail byte looks like a separator:
// 表 is 0x95 0x5C ("\"), ポ is 0x83 0x7C ("|").
constexpr std::string_view kHyou = "\x95\x5C";
constexpr std::string_view kPo = "\x83\x7C";

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// "ABD" and the row count give the selected states of rows A, B, ... .
std::vector<bool> Selection(std::string_view selectedLabels, std::size_t rows) {
    std::vector<bool> selected(rows, false);
    for (char label : selectedLabels) selected.at(static_cast<std::size_t>(label - 'A')) = true;
    return selected;
}

std::vector<char> Labels(std::size_t rows) {
    std::vector<char> labels(rows);
    std::iota(labels.begin(), labels.end(), 'A');
    return labels;
}

std::string Text(const std::vector<char>& labels) { return std::string(labels.begin(), labels.end()); }

std::vector<bool> Pattern(unsigned bits, std::size_t rows) {
    std::vector<bool> selected(rows);
    for (std::size_t i = 0; i < rows; ++i) selected[i] = ((bits >> i) & 1u) != 0;
    return selected;
}

std::string PatternText(const std::vector<bool>& selected) {
    std::string text;
    for (bool s : selected) text += s ? 'S' : '.';
    return text;
}

// What Up does, said another way: every selected row lands just above the
// nearest unselected row above it, behind any selected rows already landing
// there; unselected rows and a selected block at the top keep their places.
// Down is the same seen from the bottom. Rows are ordered by a stable sort on
// a key of twice the place they land at, less one for "just above".
std::vector<char> ModelMove(const std::vector<bool>& selected, bool up) {
    const std::size_t n = selected.size();
    std::vector<long> key(n);
    for (std::size_t i = 0; i < n; ++i) key[i] = 2 * static_cast<long>(i);
    for (std::size_t i = 0; i < n; ++i) {
        if (!selected[i]) continue;
        if (up) {
            for (std::size_t j = i; j-- > 0;) {
                if (!selected[j]) { key[i] = 2 * static_cast<long>(j) - 1; break; }
            }
        } else {
            for (std::size_t j = i + 1; j < n; ++j) {
                if (!selected[j]) { key[i] = 2 * static_cast<long>(j) + 1; break; }
            }
        }
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
    std::vector<char> labels;
    for (std::size_t i : order) labels.push_back(static_cast<char>('A' + i));
    return labels;
}

FolderRow Row(std::string name, std::string path, std::string expand, std::string sort) {
    return FolderRow{std::move(name), std::move(path), std::move(expand), std::move(sort)};
}

}  // namespace

// ---------------------------------------------------------------------------
// Flag cells

TEST(FlagCells, TrueAndFalseShowAsYesAndNo) {
    EXPECT_STREQ(FlagText(true), "Yes");
    EXPECT_STREQ(FlagText(false), "No");
}

TEST(FlagCells, OnlyTheExactTextYesIsTrue) {
    struct Case { std::string_view text; bool flag; };
    const Case cases[] = {
        {"Yes", true},
        {"No", false},
        {"", false},
        {"yes", false},
        {"YES", false},
        {"Yes ", false},
        {" Yes", false},
        {"Ye", false},
        {"Yess", false},
        {"1", false},
        {"true", false},
        {std::string_view("Yes\0", 4), false},
    };
    for (const Case& c : cases) EXPECT_EQ(FlagFromText(c.text), c.flag) << "[" << c.text << "]";
}

// ---------------------------------------------------------------------------
// Rows from entries and the rebuild on Apply

TEST(RowTexts, EntryFieldsGoToTheirColumns) {
    struct Case { bool expand; bool sort; const char* expandText; const char* sortText; };
    const Case cases[] = {
        {false, false, "No", "No"},
        {true, false, "Yes", "No"},
        {false, true, "No", "Yes"},  // sort is kept without expand
        {true, true, "Yes", "Yes"},
    };
    for (const Case& c : cases) {
        const FolderEntry entry{"Work", "C:\\Work", c.expand, c.sort};
        EXPECT_EQ(RowFromEntry(entry), Row("Work", "C:\\Work", c.expandText, c.sortText));
    }
}

TEST(RowTexts, LoadedListComesBackUnchangedThroughTheRows) {
    FolderList list;
    list.Append(FolderEntry{"Work", "C:\\Work", false, false});
    list.Append(FolderEntry{"Work", "C:\\Work", false, false});  // duplicates stay
    list.Append(FolderEntry{"Sort only", "D:\\Data", false, true});
    list.Append(FolderEntry{"Both", "\\\\server\\share", true, true});
    list.Append(FolderEntry{std::string(kHyou) + std::string(kPo), "C:\\" + std::string(kPo), true, false});
    list.Append(FolderEntry{Repeat('n', 260), "C:\\" + Repeat('p', 257), false, true});  // both at 260 bytes
    list.Append(FolderEntry{"A | B", "E:\\", true, false});

    std::vector<FolderRow> rows;
    for (const FolderEntry& e : list) rows.push_back(RowFromEntry(e));
    EXPECT_EQ(ListFromRows(rows, kShiftJis), list);
    EXPECT_EQ(ListFromRows(rows, kSingleByte), list);
    EXPECT_TRUE(ListFromRows({}, kSingleByte).Empty());
}

TEST(ApplyRebuild, KeepsRowOrderAndTakesNamesAndPathsAsRead) {
    const std::vector<FolderRow> rows = {
        Row(" Spaced\t", "C:\\Spaced ", "Yes", "No"),  // a rename is not trimmed
        Row("Alpha", "C:\\Alpha", "No", "Yes"),
        Row("Spaced", "C:\\Other", "yes", "Yes "),     // only exact "Yes" counts
    };
    const FolderList list = ListFromRows(rows, kSingleByte);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0), (FolderEntry{" Spaced\t", "C:\\Spaced ", true, false}));
    EXPECT_EQ(list.At(1), (FolderEntry{"Alpha", "C:\\Alpha", false, true}));
    EXPECT_EQ(list.At(2), (FolderEntry{"Spaced", "C:\\Other", false, false}));
}

TEST(ApplyRebuild, CutsNameAndPathTo260BytesAtACharacterBoundary) {
    const std::string sjisAt259 = Repeat('a', 258) + std::string(kHyou) + "b";  // 表 in bytes 259-260
    const std::string sjisAt260 = Repeat('a', 259) + std::string(kHyou);        // 表 in bytes 260-261
    struct Case { std::string text; const LeadBytes* lead; std::string read; };
    const Case cases[] = {
        {Repeat('a', 259), &kSingleByte, Repeat('a', 259)},
        {Repeat('a', 260), &kSingleByte, Repeat('a', 260)},
        {Repeat('a', 261), &kSingleByte, Repeat('a', 260)},
        {Repeat('a', 1000), &kSingleByte, Repeat('a', 260)},
        {sjisAt259, &kShiftJis, Repeat('a', 258) + std::string(kHyou)},
        {sjisAt260, &kShiftJis, Repeat('a', 259)},                // the character does not fit: left out whole
        {sjisAt260, &kSingleByte, Repeat('a', 259) + "\x95"},    // single-byte: every byte is a character
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.text.size()) + " bytes" + (c.lead->Any() ? ", Shift-JIS" : ""));
        const FolderList list = ListFromRows({Row(c.text, c.text, "Yes", "Yes")}, *c.lead);
        ASSERT_EQ(list.Count(), 1u);
        EXPECT_EQ(list.At(0).name, c.read);
        EXPECT_EQ(list.At(0).path, c.read);
        EXPECT_TRUE(list.At(0).expand);
        EXPECT_TRUE(list.At(0).sort);
    }
}

// ---------------------------------------------------------------------------
// Up and Down

TEST(MoveRows, UpAndDownOnFourRows) {
    struct Case { std::string_view selected; bool up; std::string_view after; };
    const Case cases[] = {
        {"BD", true, "BADC"},
        {"AC", true, "ACBD"},    // A stays, C passes B
        {"A", true, "ABCD"},     // first row only: nothing moves
        {"AB", true, "ABCD"},    // a block at the top stays
        {"ABCD", true, "ABCD"},
        {"", true, "ABCD"},
        {"D", true, "ABDC"},
        {"CD", true, "ACDB"},    // a block passes one row together
        {"BC", true, "BCAD"},
        {"ABD", true, "ABDC"},
        {"BD", false, "ACBD"},
        {"AC", false, "BADC"},
        {"D", false, "ABCD"},    // last row only: nothing moves
        {"CD", false, "ABCD"},   // a block at the bottom stays
        {"A", false, "BACD"},
        {"AB", false, "CABD"},
        {"ACD", false, "BACD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.up ? "Up" : "Down") + " with " + std::string(c.selected) + " selected");
        const std::vector<bool> selected = Selection(c.selected, 4);
        const std::vector<RowSwap> swaps = c.up ? SwapsForUp(selected) : SwapsForDown(selected);
        std::vector<char> rows = Labels(4);
        ApplySwaps(rows, swaps);
        EXPECT_EQ(Text(rows), c.after);
        EXPECT_EQ(swaps.empty(), c.after == "ABCD");  // Apply is enabled exactly when something moved
    }
}

TEST(MoveRows, ExchangesAreMadeInWalkOrder) {
    // Up walks from the top: B passes A, then D passes C.
    EXPECT_EQ(SwapsForUp(Selection("BD", 4)), (std::vector<RowSwap>{{0, 1}, {2, 3}}));
    // A block passes one row step by step: B takes A's place, then C takes B's old place.
    EXPECT_EQ(SwapsForUp(Selection("BC", 4)), (std::vector<RowSwap>{{0, 1}, {1, 2}}));
    // Down walks from the bottom: C passes D, then A passes B.
    EXPECT_EQ(SwapsForDown(Selection("AC", 4)), (std::vector<RowSwap>{{3, 2}, {1, 0}}));
    EXPECT_EQ(SwapsForDown(Selection("AB", 4)), (std::vector<RowSwap>{{2, 1}, {1, 0}}));
}

TEST(MoveRows, NoRowsAndOneRowNeverMove) {
    EXPECT_TRUE(SwapsForUp({}).empty());
    EXPECT_TRUE(SwapsForDown({}).empty());
    for (bool s : {false, true}) {
        EXPECT_TRUE(SwapsForUp({s}).empty());
        EXPECT_TRUE(SwapsForDown({s}).empty());
    }
}

TEST(MoveRows, SelectionTravelsWithTheRows) {
    std::vector<char> rows = Labels(4);
    std::vector<bool> selected = Selection("BD", 4);
    const std::vector<RowSwap> swaps = SwapsForUp(selected);
    ApplySwaps(rows, swaps);
    ApplySwaps(selected, swaps);
    EXPECT_EQ(Text(rows), "BADC");
    EXPECT_EQ(selected, (std::vector<bool>{true, false, true, false}));  // B and D, now at 0 and 2
}

TEST(MoveRows, RepeatedUpGathersTheSelectionAtTheTopThenStops) {
    std::vector<char> rows = Labels(6);
    std::vector<bool> selected = Selection("CF", 6);
    const std::string_view expected[] = {"ACBDFE", "CABFDE", "CAFBDE", "CFABDE", "CFABDE"};
    for (std::string_view after : expected) {
        const std::vector<RowSwap> swaps = SwapsForUp(selected);
        ApplySwaps(rows, swaps);
        ApplySwaps(selected, swaps);
        EXPECT_EQ(Text(rows), after);
    }
    EXPECT_TRUE(SwapsForUp(selected).empty());
    // And Down takes them back to the bottom, where they stay.
    for (int press = 0; press < 5; ++press) {
        const std::vector<RowSwap> swaps = SwapsForDown(selected);
        ApplySwaps(rows, swaps);
        ApplySwaps(selected, swaps);
    }
    EXPECT_EQ(Text(rows), "ABDECF");
    EXPECT_TRUE(SwapsForDown(selected).empty());
}

// Every selection of up to 8 rows, both directions, against the model.
TEST(MoveRows, EverySelectionPatternAgreesWithTheModel) {
    for (std::size_t n = 0; n <= 8; ++n) {
        for (unsigned bits = 0; bits < (1u << n); ++bits) {
            const std::vector<bool> selected = Pattern(bits, n);
            for (bool up : {true, false}) {
                SCOPED_TRACE(std::string(up ? "Up " : "Down ") + PatternText(selected));
                const std::vector<RowSwap> swaps = up ? SwapsForUp(selected) : SwapsForDown(selected);
                std::vector<char> rows = Labels(n);
                std::vector<bool> states = selected;
                for (const RowSwap& s : swaps) {
                    // Each exchange is between neighbours, the unselected one first,
                    // and the selected row moves in the pressed direction.
                    ASSERT_LT(s.first, n);
                    ASSERT_LT(s.second, n);
                    EXPECT_EQ(up ? s.first + 1 : s.second + 1, up ? s.second : s.first);
                    EXPECT_FALSE(states[s.first]);
                    EXPECT_TRUE(states[s.second]);
                    ApplySwaps(rows, {s});
                    ApplySwaps(states, {s});
                }
                const std::vector<char> expected = ModelMove(selected, up);
                EXPECT_EQ(Text(rows), Text(expected));
                for (std::size_t p = 0; p < n; ++p) {
                    EXPECT_EQ(states[p], selected[static_cast<std::size_t>(rows[p] - 'A')]) << "row at " << p;
                }
                EXPECT_EQ(swaps.empty(), expected == Labels(n));
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Delete

TEST(DeleteRows, RemovesExactlyTheSelectedRows) {
    struct Case { std::string_view selected; std::size_t rows; std::vector<std::size_t> steps; std::string_view left; };
    const Case cases[] = {
        {"", 4, {}, "ABCD"},
        {"B", 4, {1}, "ACD"},
        {"BD", 4, {1, 2}, "AC"},
        {"ABC", 4, {0, 0, 0}, "D"},
        {"ABCD", 4, {0, 0, 0, 0}, ""},
        {"D", 4, {3}, "ABC"},
        {"ACE", 5, {0, 1, 2}, "BD"},
        {"", 0, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.selected) + " of " + std::to_string(c.rows));
        const std::vector<std::size_t> steps = RowsToDelete(Selection(c.selected, c.rows));
        ASSERT_EQ(steps, c.steps);
        std::vector<char> rows = Labels(c.rows);
        ApplyDeletions(rows, steps);
        EXPECT_EQ(Text(rows), c.left);
    }
}

TEST(DeleteRows, EveryStepNamesARowThatIsSelectedWhenItIsRemoved) {
    for (std::size_t n = 0; n <= 8; ++n) {
        for (unsigned bits = 0; bits < (1u << n); ++bits) {
            const std::vector<bool> selected = Pattern(bits, n);
            SCOPED_TRACE(PatternText(selected));
            std::vector<char> rows = Labels(n);
            std::vector<bool> states = selected;
            for (std::size_t index : RowsToDelete(selected)) {
                ASSERT_LT(index, rows.size());
                EXPECT_TRUE(states[index]);
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
                states.erase(states.begin() + static_cast<std::ptrdiff_t>(index));
            }
            std::string survivors;
            for (std::size_t i = 0; i < n; ++i) {
                if (!selected[i]) survivors += static_cast<char>('A' + i);
            }
            EXPECT_EQ(Text(rows), survivors);
        }
    }
}

TEST(DeleteQuestionText, OneTextForOneRowCountForMore) {
    const std::string one = "Do you want to delete the item?";
    const std::string many = "Do you want to delete these %d items?";
    struct Case { std::size_t count; std::string question; };
    const Case cases[] = {
        {0, ""},  // nothing selected: nothing is asked
        {1, "Do you want to delete the item?"},
        {2, "Do you want to delete these 2 items?"},
        {3, "Do you want to delete these 3 items?"},
        {10, "Do you want to delete these 10 items?"},
        {1234567, "Do you want to delete these 1234567 items?"},
    };
    for (const Case& c : cases) EXPECT_EQ(DeleteQuestion(c.count, one, many), c.question) << c.count;
}

TEST(DeleteQuestionText, OnlyTheFirstPercentDIsReplaced) {
    struct Case { std::string manyTemplate; std::string question; };
    const Case cases[] = {
        {"%d items?", "12 items?"},
        {"Delete %d", "Delete 12"},
        {"%d of %d", "12 of %d"},
        {"Delete them all?", "Delete them all?"},  // no "%d": as it is
        {"%s and %i and % d", "%s and %i and % d"},
        {"100%d", "10012"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DeleteQuestion(12, "one %d", c.manyTemplate), c.question);
    EXPECT_EQ(DeleteQuestion(1, "one %d", "many %d"), "one %d");  // the one-text has no count
}

// ---------------------------------------------------------------------------
// In-place rename

TEST(InPlaceRename, AcceptsAnyNonBlankNameWithoutALineBreak) {
    struct Case { std::string name; bool accepted; };
    const Case cases[] = {
        {"", false},
        {" ", false},
        {"\t \t", false},
        {"Work", true},
        {"  Work\t", true},  // kept as typed; the next load trims it
        {"My | Work", true},
        {"\xA0", true},      // a no-break space is not a blank
        {std::string(kHyou) + std::string(kPo), true},
        {"Work\r", false},
        {"Wo\nrk", false},
        {"\r\n", false},
        {Repeat('a', 1000), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AcceptsNewName(c.name, kSingleByte), c.accepted) << "[" << c.name << "]";
        EXPECT_EQ(AcceptsNewName(c.name, kShiftJis), c.accepted) << "[" << c.name << "]";
    }
}

// Apply keeps only the first 260 bytes of a name; a name that is blank there
// would be lost from the file, so it is refused now.
TEST(InPlaceRename, JudgesTheNameAsApplyWillReadIt) {
    EXPECT_FALSE(AcceptsNewName(Repeat(' ', 260) + "x", kSingleByte));
    EXPECT_TRUE(AcceptsNewName(Repeat(' ', 259) + "x", kSingleByte));
    const std::string halfCharacterAtTheCut = Repeat(' ', 259) + std::string(kHyou);
    EXPECT_FALSE(AcceptsNewName(halfCharacterAtTheCut, kShiftJis));
    EXPECT_TRUE(AcceptsNewName(halfCharacterAtTheCut, kSingleByte));
    EXPECT_FALSE(AcceptsNewName(Repeat('a', 300) + "\n", kSingleByte));
}

// ---------------------------------------------------------------------------
// Add and Modify dialogs

TEST(ModifyFields, ReportsTheFirstProblemInFieldOrder) {
    struct Case { std::string name; std::string path; FieldProblem problem; };
    const Case cases[] = {
        {"Work", "C:\\Work", FieldProblem::None},
        {"  Work\t", "\t C:\\Work  ", FieldProblem::None},  // stored trimmed
        {"", "C:\\Work", FieldProblem::BlankName},           // no silent case here
        {" \t ", "C:\\Work", FieldProblem::BlankName},
        {"Work", "", FieldProblem::BlankPath},
        {"Work", "  ", FieldProblem::BlankPath},
        {"", "", FieldProblem::BlankName},
        {" ", "a|b", FieldProblem::BlankName},
        {"Wo\rrk", " ", FieldProblem::BlankPath},
        {"Wo\rrk", "C:\\a|b", FieldProblem::NameHasLineBreak},
        {"Work\n", "C:\\Work", FieldProblem::NameHasLineBreak},
        {"\r\n", "C:\\Work", FieldProblem::NameHasLineBreak},  // a line break is not a blank
        {"Work", "C:\\Work\r\nD:\\Data", FieldProblem::PathHasLineBreakOrBar},
        {"Work", "C:\\Work\n", FieldProblem::PathHasLineBreakOrBar},
        {"Work", "\rC:\\Work", FieldProblem::PathHasLineBreakOrBar},
        {"Work", "C:\\Work|1|0", FieldProblem::PathHasLineBreakOrBar},
        {"Work", "|", FieldProblem::PathHasLineBreakOrBar},
        {"A | B", "C:\\Work", FieldProblem::None},  // the name line may hold "|"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckModifyFields(c.name, c.path, kSingleByte), c.problem)
            << "[" << c.name << "] [" << c.path << "]";
    }
}

TEST(ModifyFields, ABarInsideADoubleByteCharacterIsNoSeparator) {
    const std::string path = "C:\\" + std::string(kPo) + "\\" + std::string(kHyou);
    EXPECT_EQ(CheckModifyFields("Po", path, kShiftJis), FieldProblem::None);
    EXPECT_EQ(CheckModifyFields("Po", path, kSingleByte), FieldProblem::PathHasLineBreakOrBar);
    EXPECT_EQ(CheckModifyFields("Po", path + "|", kShiftJis), FieldProblem::PathHasLineBreakOrBar);
}

// What the Modify dialog takes, trimmed, is what the file can hold, and what
// the file cannot hold the dialog refuses (fields of at most 260 bytes).
TEST(ModifyFields, AcceptedExactlyWhenTheFileCanHoldTheTrimmedFields) {
    const std::vector<std::string> names = {
        "Work", "  Work ", "", "\t", "a\rb", "a\n", "a|b", std::string(kHyou), Repeat('n', 260),
    };
    const std::vector<std::string> paths = {
        "C:\\Work", " C:\\Work\t", "", "  ", "C:\\a|b", "C:\\a\r", "\nC:\\", "C:\\" + std::string(kPo),
        std::string(kHyou) + "\\x", Repeat('p', 260), "  " + Repeat('p', 258),
    };
    for (const LeadBytes* lead : {&kSingleByte, &kShiftJis}) {
        for (const std::string& name : names) {
            for (const std::string& path : paths) {
                SCOPED_TRACE("[" + name + "] [" + path + "]" + (lead->Any() ? " Shift-JIS" : ""));
                const FolderEntry stored{TrimBlanks(name), TrimBlanks(path), false, false};
                EXPECT_EQ(CheckModifyFields(name, path, *lead) == FieldProblem::None,
                          CheckStorable(stored, *lead) == EntryProblem::None);
            }
        }
    }
}

TEST(AddName, EmptyIsSilentBlankIsReported) {
    struct Case { std::string name; FieldProblem problem; };
    const Case cases[] = {
        {"", FieldProblem::EmptyName},
        {" ", FieldProblem::BlankName},
        {"\t\t", FieldProblem::BlankName},
        {"Work", FieldProblem::None},
        {"  Work  ", FieldProblem::None},
        {"C:\\Documents and Settings\\Me", FieldProblem::None},  // the proposed name: the full path
        {"A | B", FieldProblem::None},
        {"Wo\rrk", FieldProblem::NameHasLineBreak},
        {" \n ", FieldProblem::NameHasLineBreak},
        {std::string(kHyou) + std::string(kPo), FieldProblem::None},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckAddName(c.name), c.problem) << "[" << c.name << "]";
}

// A name the Add dialog takes, trimmed, can be stored with any chosen folder.
TEST(AddName, AcceptedNamesAreStorable) {
    const std::vector<std::string> names = {
        "", " ", "Work", " Work\t", "a\rb", "\n", "a|b", std::string(kHyou), Repeat('n', 260),
    };
    for (const std::string& name : names) {
        const FolderEntry stored{TrimBlanks(name), "C:\\Work", true, true};
        EXPECT_EQ(CheckAddName(name) == FieldProblem::None, CheckStorable(stored, kShiftJis) == EntryProblem::None)
            << "[" << name << "]";
    }
}

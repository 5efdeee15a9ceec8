// Entry paths that name environment variables: where they lead, and how the
// menu uses that. The system's half is a stand-in that expands the way
// Windows does (an undefined name stays as written with its "%" signs, one
// pass only) over a few variables; a code page that holds only code units
// below 0x100 (a wider one shows as "?").
#include "core/entry_path.h"

#include <gtest/gtest.h>

#include <map>

#include "core/folder_rows.h"
#include "core/list_file.h"
#include "core/menu_plan.h"
#include "core/program_command.h"

using namespace wayleap;
using Kind = EntryPlace::Kind;

namespace {

const std::u16string kCjk = u"\u65E5\u672C";

std::optional<std::u16string> Expand(std::u16string_view text) {
    static const std::map<std::u16string, std::u16string> kVariables = {
        {u"HOME", u"C:\\Users\\anna"}, {u"EMPTY", u""}, {u"REL", u"sub"}, {u"PCT", u"%HOME%"},
        {u"WIDE", u"C:\\Users\\" + kCjk}, {u"LONG", u"C:\\" + std::u16string(256, u'l')}};
    if (text.find(u"%FAIL%") != text.npos) return std::nullopt;
    std::u16string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t open = text.find(u'%', pos), close = open == text.npos ? open : text.find(u'%', open + 1);
        if (close == text.npos) return out += text.substr(pos), out;
        out += text.substr(pos, open - pos);
        const auto value = kVariables.find(std::u16string(text.substr(open + 1, close - open - 1)));
        out += value != kVariables.end() ? value->second : std::u16string(text.substr(open, close - open + 1));
        pos = close + 1;
    }
    return out;
}

const PathSystem kSystem = {
    Expand,
    [](std::string_view ansi) { return std::u16string(ansi.begin(), ansi.end()); },
    [](std::u16string_view text) -> std::optional<std::string> {
        for (char16_t unit : text) if (unit > 0xFF) return std::nullopt;
        return std::string(text.begin(), text.end());
    },
    [](std::u16string_view text) {
        std::string best;
        for (char16_t unit : text) best += unit > 0xFF ? '?' : static_cast<char>(unit);
        return best;
    },
};

}  // namespace

TEST(EntryPath, WhereAStoredPathLeads) {
    const std::string longPath = "C:\\" + std::string(256, 'l');
    const struct { std::string stored; Kind kind; std::string path; std::u16string wide; } cases[] = {
        {"C:\\Data", Kind::AsStored, "", u""},
        {"C:\\50%\\x", Kind::AsStored, "", u""},  // one "%" names nothing
        {"C:\\Sales 50%\\Q1 10%", Kind::AsStored, "", u""},  // "\Q1 10" is no variable: a folder's own name
        {"%HOME%", Kind::Expanded, "C:\\Users\\anna", u""},
        {"%HOME%\\Docs", Kind::Expanded, "C:\\Users\\anna\\Docs", u""},
        {"%HOME%\\100%\\%UNDEF%", Kind::Expanded, "C:\\Users\\anna\\100%\\%UNDEF%", u""},
        {"%WIDE%\\x", Kind::WideOnly, "C:\\Users\\??\\x", u"C:\\Users\\" + kCjk + u"\\x"},
        {"%UNDEF%\\x", Kind::Missing, "%UNDEF%\\x", u""},
        {"%EMPTY%\\Docs", Kind::Missing, "%EMPTY%\\Docs", u""},  // "\Docs": no drive
        {"%REL%\\x", Kind::Missing, "%REL%\\x", u""},
        {"%PCT%", Kind::Missing, "%PCT%", u""},  // expanded once: "%HOME%" is no path
        {"%%HOME%", Kind::Missing, "%%HOME%", u""},
        {"C:\\%FAIL%", Kind::Missing, "C:\\%FAIL%", u""},
        {"%LONG%", Kind::Expanded, longPath, u""},
        {"%LONG%\\x", Kind::Missing, "%LONG%\\x", u""},  // 261 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(PlaceOf(c.stored, LeadBytes(), kSystem), (EntryPlace{c.kind, c.path, c.wide}));
    }
}

TEST(EntryPath, AbsolutePaths) {
    for (const char16_t* yes : {u"C:\\", u"z:\\a", u"\\\\srv\\share", u"\\\\srv\\share\\x"}) {
        EXPECT_TRUE(IsAbsolutePath(yes));
    }
    for (const char16_t* no : {u"", u"C:", u"C:x", u"\\x", u"\\\\srv", u"\\\\srv\\", u"\\\\\\share", u"1:\\"}) {
        EXPECT_FALSE(IsAbsolutePath(no));
    }
}

// An entry stands for where it leads: its command and help-text path, the
// folder its popup lists (by its true path when only UTF-16 can name it),
// none for one that leads nowhere; "Add" is grayed for the folder it leads to.
TEST(EntryPath, MenuOfEntriesWithVariables) {
    std::vector<FolderEntryView> folders = {{"Docs", "%HOME%\\Docs", true}, {"Wide", "%WIDE%", true},
                                            {"Gone", "%UNDEF%", true}, {"Plain", "C:\\Plain"}};
    std::vector<EntryPlace> places;
    for (const FolderEntryView& f : folders) places.push_back(PlaceOf(f.path, LeadBytes(), kSystem));
    std::vector<std::string> asked;
    MenuInputs in;
    in.folders = &folders;
    in.places = &places;
    in.maxOffset = 0x7FFF;
    in.widen = kSystem.widen;
    in.listDirectory = [&](const std::string& key) -> std::optional<std::vector<FoundFile>> {
        asked.push_back(key);
        return std::vector<FoundFile>{{"a", kAttributeDirectory, {}}};
    };
    const std::u16string widePrefix = u"C:\\Users\\" + kCjk + u"\\";
    const std::vector<std::string> keys = {"C:\\Users\\anna\\Docs\\*", WideListingKey(widePrefix + u"*")};
    EXPECT_EQ(ListingPatterns(in), keys);
    EXPECT_EQ(WidePatternOf(keys[1]), widePrefix + u"*");
    EXPECT_EQ(WidePatternOf(keys[0]), std::nullopt);

    MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(asked, keys);
    const struct { std::string path; std::u16string wide; bool missing; } commands[] = {
        {"C:\\Users\\anna\\Docs", u"", false}, {"C:\\Users\\anna\\Docs\\", u"", false},
        {"C:\\Users\\anna\\Docs\\a", u"", false}, {"C:\\Users\\??", u"C:\\Users\\" + kCjk, false},
        {"C:\\Users\\??\\", widePrefix, false}, {"C:\\Users\\??\\a", widePrefix + u"a", false},
        {"%UNDEF%", u"", true}, {"C:\\Plain", u"", false},
    };
    ASSERT_EQ(plan.commandPaths.size(), std::size(commands));
    for (std::size_t k = 0; k < plan.commandPaths.size(); ++k) {
        EXPECT_EQ(plan.commandPaths.Path(k, folders), commands[k].path) << k;
        EXPECT_EQ(plan.commandPaths.WidePath(k), commands[k].wide) << k;
        EXPECT_EQ(plan.commandPaths.Missing(k), commands[k].missing) << k;
    }
    EXPECT_FALSE(plan.popups[2].listed);

    const struct { std::string ansi; bool storable; std::u16string wide; bool grayed; } selections[] = {
        {"C:\\Users\\anna\\Docs", true, u"", true}, {"%HOME%\\Docs", true, u"", false},
        {"C:\\Users\\??", false, u"C:\\Users\\" + kCjk, true}, {"C:\\Users\\??", true, u"", false},
        {"%UNDEF%", true, u"", false}, {"C:\\Plain", true, u"", true},
    };
    for (const auto& s : selections) {
        in.lastSelection = s.ansi;
        in.lastSelectionStorable = s.storable;
        in.lastSelectionWide = s.wide;
        const MenuPlan p = PlanMenu(in);
        EXPECT_EQ(p.items[p.items.size() - 2].grayed, s.grayed) << s.ansi;
    }
}

// What an import takes: a whole list that the reader reads exactly as
// written; else the line that is wrong.
TEST(ListExchange, ImportedFilesAreWholeListsOrNameTheirWrongLine) {
    using P = ListFileProblem;
    const struct { std::string bytes; P problem; std::size_t line; } cases[] = {
        {"A\nC:\\A|1|0\n\nB\r\nC:\\B|0|1", P::None, 0},
        {"", P::Empty, 0}, {"\r\n\n", P::Empty, 0},
        {std::string(65537, '\n'), P::TooLarge, 0},
        {"A\nC:\\A|1|0\nB\nC:\\B|1|0\n\x89PNG\x1A\n", P::NotText, 5},
        {"A\r\nC:\\A|1|0\r\nB\r\nC:\\B\r\n", P::DataLine, 4},  // no "|"
        {"A\nC:\\A|1|2\n", P::DataLine, 2}, {"A\nC:\\A|1\n", P::DataLine, 2}, {"A\n|1|0\n", P::DataLine, 2},
        {"A\nC:\\" + std::string(258, 'p') + "|1|0\n", P::DataLine, 2},
        {"  \nC:\\A|1|0\n", P::NameLine, 1}, {std::string(261, 'n') + "\nC:\\A|0|0\n", P::NameLine, 1},
        {"A\nC:\\A|0|0\nB\n", P::NoDataLine, 3},
        {"A\x95\nC:\\\x95\x5C|0|0\n", P::None, 0},  // a lead byte before a line end ends its line
        {"A\nC:\\\x95|0|0\n", P::DataLine, 2},  // 0x95 0x7C is one character: no "|" after the path
    };
    for (const auto& c : cases) {
        const ListFileCheck check = CheckListFile(c.bytes, LeadBytes::ShiftJis());
        EXPECT_EQ(check.problem, c.problem) << c.bytes.substr(0, 40);
        EXPECT_EQ(check.line, c.line) << c.bytes.substr(0, 40);
    }
    std::vector<FolderRow> rows = {RowFromEntry({"A", "C:\\A"})};
    FolderList imported;
    for (const char* path : {"C:\\A", "C:\\B", "c:\\a", "C:\\B"}) imported.Append({"N", path, true, false});
    EXPECT_EQ(AppendUnlisted(rows, imported), 2u);
    EXPECT_EQ(rows, (std::vector<FolderRow>{RowFromEntry({"A", "C:\\A"}), RowFromEntry({"N", "C:\\B", true}),
                                           RowFromEntry({"N", "c:\\a", true})}));
}

TEST(ListExchange, CommandLine) {
    using K = ProgramCommand::Kind;
    const struct { std::vector<std::u16string> args; K kind; std::u16string file; bool append; } cases[] = {
        {{}, K::ShowSheet, u"", false},
        {{u"/export", u"C:\\out.dat"}, K::Export, u"C:\\out.dat", false},
        {{u"-IMPORT", u"in.dat"}, K::Import, u"in.dat", false},
        {{u"/Import", u"in.dat", u"/APPEND"}, K::Import, u"in.dat", true},
        {{u"/export"}, K::Usage, u"", false}, {{u"/export", u""}, K::Usage, u"", false},
        {{u"/export", u"x", u"/append"}, K::Usage, u"", false}, {{u"/import", u"x", u"y"}, K::Usage, u"", false},
        {{u"/append", u"x"}, K::Usage, u"", false}, {{u"/exports", u"x"}, K::Usage, u"", false},
        {{u"in.dat"}, K::Usage, u"", false}, {{u"/import", u"x", u"/append", u"/append"}, K::Usage, u"", false},
    };
    for (const auto& c : cases) {
        const ProgramCommand command = ParseProgramArguments(c.args);
        EXPECT_EQ(command.kind, c.kind) << c.args.size();
        EXPECT_TRUE(command.file == c.file && command.append == c.append) << c.args.size();
    }
}

// The context-menu plan: layouts of both styles, item texts, command offsets,
// the command paths behind them, sub-folder popups, and the id range the
// shell grants. Directories come from a fake lister fed by a map.
#include "core/menu_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace wayleap;

namespace {

const LeadBytes kSingleByte;
const LeadBytes kShiftJis = LeadBytes::ShiftJis();
constexpr unsigned kLargeRange = 0x7FFF;

using Names = std::vector<std::string>;
using Layout = std::vector<std::string>;

FoundFile Dir(std::string name) { return {std::move(name), kAttributeDirectory}; }
FoundFile HiddenDir(std::string name) { return {std::move(name), kAttributeDirectory | kAttributeHidden}; }
FoundFile File(std::string name) { return {std::move(name), 0x20}; }

// Search pattern -> what the folder holds; a pattern that is not a key is a
// folder that cannot be listed. Records every search.
struct FakeDisk {
    std::map<std::string, std::vector<FoundFile>> folders;
    std::vector<std::string> searches;

    DirectoryLister Lister() {
        return [this](const std::string& pattern) -> std::optional<std::vector<FoundFile>> {
            searches.push_back(pattern);
            auto it = folders.find(pattern);
            if (it == folders.end()) return std::nullopt;
            return it->second;
        };
    }
};

FolderList ListOf(const std::vector<FolderEntry>& entries) {
    FolderList list;
    for (const FolderEntry& e : entries) list.Append(e);
    return list;
}

FolderEntry Plain(std::string name, std::string path) { return {std::move(name), std::move(path), false, false}; }
FolderEntry Expanded(std::string name, std::string path, bool sort = false) {
    return {std::move(name), std::move(path), true, sort};
}

MenuInputs Inputs(const FolderList& list, bool subMenu, FakeDisk& disk, unsigned maxOffset = kLargeRange) {
    MenuInputs in;
    in.folders = &list;
    in.useSubMenu = subMenu;
    in.lastSelection = "C:\\Selected";
    in.maxOffset = maxOffset;
    in.listDirectory = disk.Lister();
    return in;
}

const char* BitmapName(MenuBitmap b) {
    switch (b) {
        case MenuBitmap::None: return "None";
        case MenuBitmap::Folder: return "Folder";
        case MenuBitmap::Configure: return "Configure";
        case MenuBitmap::Add: return "Add";
    }
    return "?";
}

// One line per item: "text #offset Bitmap [grayed] [> #first [names] | > unlisted [names]]".
std::string Describe(const MenuItemPlan& item) {
    if (item.kind == MenuItemPlan::Kind::Separator) return "---";
    std::string s = item.text + " #" + std::to_string(item.offset) + " " + BitmapName(item.bitmap);
    if (item.grayed) s += " grayed";
    if (item.kind == MenuItemPlan::Kind::Subfolders) {
        const SubfolderPopup& popup = item.subfolders;
        s += popup.listed ? " > #" + std::to_string(popup.firstOffset) + " [" : " > unlisted [";
        for (std::size_t i = 0; i < popup.names.size(); ++i) s += (i ? "|" : "") + popup.names[i];
        s += "]";
    }
    return s;
}

Layout Describe(const MenuPlan& plan) {
    Layout out;
    for (const MenuItemPlan& item : plan.items) out.push_back(Describe(item));
    return out;
}

const MenuItemPlan& OnlyEntry(const MenuPlan& plan) {
    // Sub-menu style: the entry is the popup's first item.
    return plan.items.at(0);
}

const std::string kAdd = "Add to Wayleap... #1 Add";
const std::string kAddGrayed = "Add to Wayleap... #1 Add grayed";
const std::string kConfigure = "Configure Wayleap... #2 Configure";

}  // namespace

TEST(MenuPlan, TwelveEntriesNumberTheFirstTen) {
    std::vector<FolderEntry> entries;
    for (int i = 0; i < 12; ++i) entries.push_back(Plain("Folder " + std::to_string(i), "C:\\F" + std::to_string(i)));
    const FolderList list = ListOf(entries);

    Layout entryLines;
    for (int i = 0; i < 10; ++i) {
        entryLines.push_back("[&" + std::to_string(i) + "] Folder " + std::to_string(i) + " #" +
                             std::to_string(8 + i) + " Folder");
    }
    entryLines.push_back("Folder 10 #18 Folder");
    entryLines.push_back("Folder 11 #19 Folder");
    Layout popup = entryLines;
    popup.insert(popup.end(), {"---", kAdd, kConfigure});
    Layout direct = popup;
    direct.insert(direct.begin(), "---");

    Names paths;
    for (int i = 0; i < 12; ++i) paths.push_back("C:\\F" + std::to_string(i));

    FakeDisk disk;
    const MenuPlan sub = PlanMenu(Inputs(list, true, disk));
    EXPECT_TRUE(sub.hasParent);
    EXPECT_EQ(sub.parentText, "Wayleap");
    EXPECT_EQ(Describe(sub), popup);
    EXPECT_EQ(sub.commandPaths, paths);
    EXPECT_EQ(sub.claimed, 20u);

    const MenuPlan dir = PlanMenu(Inputs(list, false, disk));
    EXPECT_FALSE(dir.hasParent);
    EXPECT_EQ(Describe(dir), direct);
    EXPECT_EQ(dir.commandPaths, paths);
    EXPECT_EQ(dir.claimed, 20u);
    EXPECT_TRUE(disk.searches.empty());  // nothing expanded, nothing listed
}

TEST(MenuPlan, EmptyListDirectStyleIsSeparatorAddConfigure) {
    const FolderList list;
    FakeDisk disk;
    const MenuPlan plan = PlanMenu(Inputs(list, false, disk));
    EXPECT_FALSE(plan.hasParent);
    EXPECT_EQ(Describe(plan), (Layout{"---", kAdd, kConfigure}));
    EXPECT_TRUE(plan.commandPaths.empty());
    EXPECT_EQ(plan.claimed, 8u);
}

TEST(MenuPlan, EmptyListSubMenuStyleIsParentOverAddAndConfigure) {
    const FolderList list;
    FakeDisk disk;
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
    EXPECT_TRUE(plan.hasParent);
    EXPECT_EQ(plan.parentText, "Wayleap");
    EXPECT_EQ(Describe(plan), (Layout{kAdd, kConfigure}));  // no separator
    EXPECT_TRUE(plan.commandPaths.empty());
    EXPECT_EQ(plan.claimed, 8u);
}

TEST(MenuPlan, NoFolderListPlansLikeAnEmptyOne) {
    FakeDisk disk;
    const FolderList unused;
    MenuInputs in = Inputs(unused, false, disk);
    in.folders = nullptr;
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(Describe(plan), (Layout{"---", kAdd, kConfigure}));
    EXPECT_EQ(plan.claimed, 8u);
}

TEST(MenuPlan, TextsComeFromTheGivenStrings) {
    const FolderList list = ListOf({Expanded("Data", "C:\\Data")});
    FakeDisk disk;
    disk.folders["C:\\Data\\*"] = {Dir("Music")};
    MenuInputs in = Inputs(list, true, disk);
    in.texts = {"Sprung", "Hinzu...", "Einstellen...", "<Dieser Ordner>"};
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(plan.parentText, "Sprung");
    EXPECT_EQ(Describe(plan), (Layout{"[&0] Data #8 Folder > #9 [Music]", "---", "Hinzu... #1 Add",
                                      "Einstellen... #2 Configure"}));
}

TEST(SubfolderPopup, AdjacentExpandedEntriesTakeConsecutiveOffsets) {
    const FolderList list = ListOf({Expanded("One", "C:\\One"), Expanded("Two", "C:\\Two"),
                                    Expanded("Three", "D:\\Three"), Plain("Four", "E:\\Four")});
    FakeDisk disk;
    disk.folders["C:\\One\\*"] = {Dir("."), Dir(".."), Dir("a"), Dir("b")};
    disk.folders["C:\\Two\\*"] = {Dir("."), Dir("..")};  // no sub-folders: "<This Folder>" only
    disk.folders["D:\\Three\\*"] = {Dir("x"), Dir("y"), Dir("z")};
    const MenuPlan plan = PlanMenu(Inputs(list, false, disk));

    EXPECT_EQ(Describe(plan), (Layout{"---",
                                      "[&0] One #8 Folder > #9 [a|b]",
                                      "[&1] Two #12 Folder > #13 []",
                                      "[&2] Three #14 Folder > #15 [x|y|z]",
                                      "[&3] Four #19 Folder",  // five above the entry with three
                                      "---", kAdd, kConfigure}));
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\One", "C:\\One\\", "C:\\One\\a", "C:\\One\\b",
                                        "C:\\Two", "C:\\Two\\",
                                        "D:\\Three", "D:\\Three\\", "D:\\Three\\x", "D:\\Three\\y", "D:\\Three\\z",
                                        "E:\\Four"}));
    EXPECT_EQ(plan.claimed, 20u);
    EXPECT_EQ(disk.searches, (Names{"C:\\One\\*", "C:\\Two\\*", "D:\\Three\\*"}));
}

TEST(SubfolderPopup, PatternAndThisFolderPathFollowTheTrailingBackslash) {
    struct Case {
        std::string path;
        const LeadBytes* lead;
        std::string pattern;
        std::string prefix;
    };
    const Case cases[] = {
        {"C:\\", &kSingleByte, "C:\\*", "C:\\"},
        {"C:\\Data", &kSingleByte, "C:\\Data\\*", "C:\\Data\\"},
        {"C:\\Data\\\\", &kSingleByte, "C:\\Data\\\\*", "C:\\Data\\\\"},  // stored as is
        {"", &kSingleByte, "\\*", "\\"},
        {"\\\\server\\share", &kSingleByte, "\\\\server\\share\\*", "\\\\server\\share\\"},
        // 表 is 0x95 0x5C: in Shift-JIS the path does not end in a backslash...
        {"C:\\\x95\x5C", &kShiftJis, "C:\\\x95\x5C\\*", "C:\\\x95\x5C\\"},
        // ...in a single-byte code page it does.
        {"C:\\\x95\x5C", &kSingleByte, "C:\\\x95\x5C*", "C:\\\x95\x5C"},
        {"C:\\\x95\x5C\\", &kShiftJis, "C:\\\x95\x5C\\*", "C:\\\x95\x5C\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("path: " + c.path);
        const FolderList list = ListOf({Expanded("E", c.path)});
        FakeDisk disk;
        disk.folders[c.pattern] = {Dir("Music")};
        MenuInputs in = Inputs(list, true, disk);
        in.lead = *c.lead;
        const MenuPlan plan = PlanMenu(in);
        EXPECT_EQ(disk.searches, Names{c.pattern});
        EXPECT_EQ(plan.commandPaths, (Names{c.path, c.prefix, c.prefix + "Music"}));
        EXPECT_TRUE(OnlyEntry(plan).subfolders.listed);
    }
}

TEST(SubfolderPopup, SortIsByteWiseAndCaseSensitive) {
    struct Case { Names in; Names sorted; };
    const Case cases[] = {
        {{"beta", "Alpha", "alpha"}, {"Alpha", "alpha", "beta"}},
        {{"Zeta", "alpha"}, {"Zeta", "alpha"}},
        {{"ab", "a", "abc", "aa"}, {"a", "aa", "ab", "abc"}},       // a prefix comes first
        {{"a", "_x", "Z"}, {"Z", "_x", "a"}},                        // '_' lies between the cases
        {{"\xE9t\xE9", "zoo", "Zoo"}, {"Zoo", "zoo", "\xE9t\xE9"}},  // bytes above 127 after ASCII
        {{"a\x80", "a\x7F", "a"}, {"a", "a\x7F", "a\x80"}},
        {{"\x95\x5C", "\x83\x7C", "~"}, {"~", "\x83\x7C", "\x95\x5C"}},
        {{std::string("a\0b", 3), "a"}, {"a", std::string("a\0b", 3)}},
        {{"same", "Same", "same"}, {"Same", "same", "same"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        Names names = c.in;
        SortNamesByteWise(names);
        EXPECT_EQ(names, c.sorted);
    }
}

TEST(SubfolderPopup, SortedEntryListsAndNumbersNamesInSortedOrder) {
    const FolderList list = ListOf({Expanded("Sorted", "C:\\S", true)});
    FakeDisk disk;
    disk.folders["C:\\S\\*"] = {Dir("beta"), Dir("Alpha"), Dir("alpha")};
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
    EXPECT_EQ(Describe(OnlyEntry(plan)), "[&0] Sorted #8 Folder > #9 [Alpha|alpha|beta]");
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\S", "C:\\S\\", "C:\\S\\Alpha", "C:\\S\\alpha", "C:\\S\\beta"}));
}

TEST(SubfolderPopup, UnsortedKeepsTheListersOrder) {
    const FolderList list = ListOf({Expanded("Unsorted", "C:\\U", false)});
    FakeDisk disk;
    disk.folders["C:\\U\\*"] = {Dir("beta"), Dir("Alpha"), Dir("zeta"), Dir("alpha")};
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
    EXPECT_EQ(OnlyEntry(plan).subfolders.names, (Names{"beta", "Alpha", "zeta", "alpha"}));
    EXPECT_EQ(plan.commandPaths,
              (Names{"C:\\U", "C:\\U\\", "C:\\U\\beta", "C:\\U\\Alpha", "C:\\U\\zeta", "C:\\U\\alpha"}));
}

TEST(SubfolderPopup, HiddenSubfoldersOnlyWhileTheShellShowsHiddenFiles) {
    constexpr std::uint32_t kSystem = 0x4, kReadOnly = 0x1;
    const FolderList list = ListOf({Expanded("H", "C:\\H")});
    FakeDisk disk;
    disk.folders["C:\\H\\*"] = {Dir("plain"), HiddenDir("hidden"),
                                {"system", kAttributeDirectory | kSystem},
                                {"hiddenSystem", kAttributeDirectory | kAttributeHidden | kSystem},
                                {"readOnly", kAttributeDirectory | kReadOnly}};

    MenuInputs in = Inputs(list, true, disk);
    in.showHidden = false;
    EXPECT_EQ(OnlyEntry(PlanMenu(in)).subfolders.names, (Names{"plain", "system", "readOnly"}));
    in.showHidden = true;
    const MenuPlan shown = PlanMenu(in);
    EXPECT_EQ(OnlyEntry(shown).subfolders.names, (Names{"plain", "hidden", "system", "hiddenSystem", "readOnly"}));
    EXPECT_EQ(shown.claimed, 8u + 1 + 1 + 5);
}

TEST(SubfolderPopup, FilesAndDotEntriesAreDropped) {
    const FolderList list = ListOf({Expanded("F", "C:\\F")});
    FakeDisk disk;
    disk.folders["C:\\F\\*"] = {Dir("."), Dir(".."), File("notes.txt"), File("Folderish"),
                                {"hiddenFile", kAttributeHidden}, Dir(".git"), Dir("..old"), Dir("Kept")};
    MenuInputs in = Inputs(list, true, disk);
    in.showHidden = true;
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(OnlyEntry(plan).subfolders.names, (Names{".git", "..old", "Kept"}));
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\F", "C:\\F\\", "C:\\F\\.git", "C:\\F\\..old", "C:\\F\\Kept"}));
}

TEST(SubfolderPopup, MissingFolderGivesAnEmptyPopupAndUsesOneId) {
    const FolderList list = ListOf({Expanded("Gone", "X:\\Gone"), Plain("Next", "C:\\Next")});
    FakeDisk disk;  // knows no folder at all
    const MenuPlan plan = PlanMenu(Inputs(list, false, disk));
    EXPECT_EQ(Describe(plan), (Layout{"---", "[&0] Gone #8 Folder > unlisted []", "[&1] Next #9 Folder",
                                      "---", kAdd, kConfigure}));
    EXPECT_EQ(plan.commandPaths, (Names{"X:\\Gone", "C:\\Next"}));
    EXPECT_EQ(plan.claimed, 10u);
    EXPECT_EQ(disk.searches, Names{"X:\\Gone\\*"});
}

TEST(SubfolderPopup, NoListerMeansNoFolderCanBeListed) {
    const FolderList list = ListOf({Expanded("E", "C:\\E")});
    FakeDisk disk;
    MenuInputs in = Inputs(list, true, disk);
    in.listDirectory = nullptr;
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(Describe(OnlyEntry(plan)), "[&0] E #8 Folder > unlisted []");
    EXPECT_EQ(plan.claimed, 9u);
}

TEST(SubfolderPopup, NamesWithAmpersandsAreShownUnchanged) {
    const FolderList list = ListOf({Expanded("R&D", "C:\\R&D")});
    FakeDisk disk;
    disk.folders["C:\\R&D\\*"] = {Dir("Tom & Jerry"), Dir("&Music"), Dir("a&&b")};
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
    EXPECT_EQ(Describe(OnlyEntry(plan)), "[&0] R&D #8 Folder > #9 [Tom & Jerry|&Music|a&&b]");
    EXPECT_EQ(plan.commandPaths.at(3), "C:\\R&D\\&Music");
}

TEST(SubfolderPopup, PathsTooLongToNavigateAreSkipped) {
    // Prefix "C:\Data\" is 8 bytes: a name of 252 bytes makes a 260-byte path.
    const std::string fits(252, 'f');
    const std::string tooLong(253, 't');
    const FolderList list = ListOf({Expanded("D", "C:\\Data", true)});
    FakeDisk disk;
    disk.folders["C:\\Data\\*"] = {Dir(tooLong), Dir(fits), Dir("short")};
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
    EXPECT_EQ(OnlyEntry(plan).subfolders.names, (Names{fits, "short"}));
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\Data", "C:\\Data\\", "C:\\Data\\" + fits, "C:\\Data\\short"}));
    EXPECT_EQ(plan.claimed, 12u);  // the skipped name takes no id
}

TEST(SubfolderPopup, PatternOf260BytesOrMoreIsNotSearched) {
    struct Case { std::string path; std::size_t patternBytes; };
    const Case cases[] = {
        {"C:\\" + std::string(254, 'p'), 259},         // path, backslash, asterisk
        {"C:\\" + std::string(255, 'p'), 260},
        {"C:\\" + std::string(254, 'p') + "\\", 259},  // path, asterisk
        {"C:\\" + std::string(255, 'p') + "\\", 260},
        {"C:\\" + std::string(400, 'p'), 405},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patternBytes);
        const FolderList list = ListOf({Expanded("Long", c.path), Plain("After", "C:\\After")});
        FakeDisk disk;
        const bool endsInSlash = c.path.back() == '\\';
        const std::string pattern = c.path + (endsInSlash ? "*" : "\\*");
        ASSERT_EQ(pattern.size(), c.patternBytes);
        disk.folders[pattern] = {Dir("s")};
        const MenuPlan plan = PlanMenu(Inputs(list, true, disk));
        if (c.patternBytes < 260) {
            EXPECT_EQ(disk.searches, Names{pattern});
            EXPECT_TRUE(OnlyEntry(plan).subfolders.listed);
            EXPECT_EQ(plan.commandPaths.size(), 4u);
        } else {
            EXPECT_TRUE(disk.searches.empty());
            EXPECT_EQ(Describe(OnlyEntry(plan)), "[&0] Long #8 Folder > unlisted []");
            EXPECT_EQ(plan.commandPaths, (Names{c.path, "C:\\After"}));
        }
    }
}

TEST(MenuPlanText, EntryTextsCarryTheFirstTenMnemonicsAndAreCutAtACharacterBoundary) {
    const std::string a257(257, 'a');
    const std::string a262(262, 'a');
    struct Case {
        std::size_t index;
        std::string name;
        const LeadBytes* lead;
        std::string text;
    };
    const Case cases[] = {
        {0, "Work", &kSingleByte, "[&0] Work"},
        {9, "Work", &kSingleByte, "[&9] Work"},
        {10, "Work", &kSingleByte, "Work"},
        {11, "[&x] Work", &kSingleByte, "[&x] Work"},
        {0, "R&D", &kSingleByte, "[&0] R&D"},
        {0, "", &kSingleByte, "[&0] "},
        // 5 + 258 = 263 bytes: kept whole.
        {3, a257 + "b", &kSingleByte, "[&3] " + a257 + "b"},
        {3, a257 + "bc", &kSingleByte, "[&3] " + a257 + "b"},
        // A double-byte character across byte 263 goes whole.
        {0, a257 + "\x95\x5C" "b", &kShiftJis, "[&0] " + a257},
        {0, a257 + "\x95\x5C" "b", &kSingleByte, "[&0] " + a257 + "\x95"},
        {0, a257 + "b\x95\x5C", &kShiftJis, "[&0] " + a257 + "b"},
        {12, a262 + "\x83\x7C", &kShiftJis, a262},
        {12, a262 + "\x83\x7C", &kSingleByte, a262 + "\x83"},
        {12, a262 + "z", &kShiftJis, a262 + "z"},
        {12, std::string(600, 'w'), &kSingleByte, std::string(263, 'w')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        SCOPED_TRACE(c.name.size());
        const std::string text = EntryItemText(c.index, c.name, *c.lead);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(text.size(), 263u);
    }
    EXPECT_EQ(EntryItemText(1, "Work", kSingleByte, 6), "[&1] W");
}

TEST(MenuPlanText, LongEntryNamesAreCutButPathsAndSubfolderNamesAreNot) {
    const std::string longName = std::string(300, 'n');
    const std::string longSub = std::string(255, 's');
    const FolderList list = ListOf({Expanded(longName, "C:\\L")});
    FakeDisk disk;
    disk.folders["C:\\L\\*"] = {Dir(longSub)};
    MenuInputs in = Inputs(list, true, disk);
    in.lead = kShiftJis;
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(OnlyEntry(plan).text, "[&0] " + std::string(258, 'n'));
    EXPECT_EQ(OnlyEntry(plan).subfolders.names, Names{longSub});
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\L", "C:\\L\\", "C:\\L\\" + longSub}));
}

TEST(MenuPlanAddItem, GrayedWithoutSelectionOrWhenTheLastSelectionIsListed) {
    const FolderList list = ListOf({Plain("Work", "C:\\Work"), Plain("Music", "D:\\Music\\"),
                                    Plain("Temp", "E:\\Temp")});
    struct Case { std::optional<std::string> lastSelection; bool grayed; };
    const Case cases[] = {
        {"C:\\Work", true},
        {"E:\\Temp", true},
        {"D:\\Music\\", true},
        {"c:\\work", false},      // other letter case
        {"C:\\WORK", false},
        {"C:\\Work\\", false},    // trailing backslash on the selection only
        {"D:\\Music", false},     // trailing backslash on the entry only
        {"C:\\Wor", false},
        {"C:\\Work ", false},
        // Two folders selected, only the first listed: the last one decides.
        {"C:\\NotListed", false},
        {"", false},              // selected, though nothing matches
        {std::nullopt, true},     // virtual folder or files only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastSelection.value_or("(none)"));
        for (bool subMenu : {false, true}) {
            FakeDisk disk;
            MenuInputs in = Inputs(list, subMenu, disk);
            in.lastSelection = c.lastSelection;
            const MenuPlan plan = PlanMenu(in);
            ASSERT_GE(plan.items.size(), 2u);
            EXPECT_EQ(Describe(plan.items[plan.items.size() - 2]), c.grayed ? kAddGrayed : kAdd);
            EXPECT_EQ(Describe(plan.items.back()), kConfigure);  // never grayed
        }
    }
}

TEST(MenuPlanAddItem, GrayedEvenWhenTheListedEntryIsLeftOutForLackOfIds) {
    const FolderList list = ListOf({Plain("First", "C:\\First"), Plain("Second", "C:\\Second")});
    FakeDisk disk;
    MenuInputs in = Inputs(list, true, disk, 8);
    in.lastSelection = "C:\\Second";
    const MenuPlan plan = PlanMenu(in);
    EXPECT_EQ(Describe(plan), (Layout{"[&0] First #8 Folder", "---", kAddGrayed, kConfigure}));
}

TEST(MenuPlanIdRange, RangeEndingInsideAPopupKeepsWhatFits) {
    const FolderList list = ListOf({Plain("P", "C:\\P"), Expanded("E", "C:\\E"), Plain("After", "C:\\After")});
    struct Case {
        unsigned maxOffset;
        Layout entries;
        Names paths;
        Names searches;
    };
    const Case cases[] = {
        {7, {}, {}, {}},
        {8, {"[&0] P #8 Folder"}, {"C:\\P"}, {}},
        // The entry's own id fits, "<This Folder>" does not: nothing to list.
        {9, {"[&0] P #8 Folder", "[&1] E #9 Folder > unlisted []"}, {"C:\\P", "C:\\E"}, {}},
        {10, {"[&0] P #8 Folder", "[&1] E #9 Folder > #10 []"}, {"C:\\P", "C:\\E", "C:\\E\\"}, {"C:\\E\\*"}},
        {12, {"[&0] P #8 Folder", "[&1] E #9 Folder > #10 [x|y]"},
         {"C:\\P", "C:\\E", "C:\\E\\", "C:\\E\\x", "C:\\E\\y"}, {"C:\\E\\*"}},
        {13, {"[&0] P #8 Folder", "[&1] E #9 Folder > #10 [x|y|z]"},
         {"C:\\P", "C:\\E", "C:\\E\\", "C:\\E\\x", "C:\\E\\y", "C:\\E\\z"}, {"C:\\E\\*"}},
        {14, {"[&0] P #8 Folder", "[&1] E #9 Folder > #10 [x|y|z]", "[&2] After #14 Folder"},
         {"C:\\P", "C:\\E", "C:\\E\\", "C:\\E\\x", "C:\\E\\y", "C:\\E\\z", "C:\\After"}, {"C:\\E\\*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxOffset);
        FakeDisk disk;
        disk.folders["C:\\E\\*"] = {Dir("x"), Dir("y"), Dir("z")};
        const MenuPlan plan = PlanMenu(Inputs(list, true, disk, c.maxOffset));
        Layout expected = c.entries;
        if (!expected.empty()) expected.push_back("---");
        expected.insert(expected.end(), {kAdd, kConfigure});
        EXPECT_EQ(Describe(plan), expected);
        EXPECT_EQ(plan.commandPaths, c.paths);
        EXPECT_EQ(disk.searches, c.searches);
        EXPECT_EQ(plan.claimed, std::min(8u + static_cast<unsigned>(c.paths.size()), c.maxOffset + 1));
    }
}

TEST(MenuPlanIdRange, SortingDecidesWhichNamesFitAtTheEndOfTheRange) {
    const FolderList list = ListOf({Expanded("S", "C:\\S", true)});
    FakeDisk disk;
    disk.folders["C:\\S\\*"] = {Dir("c"), Dir("b"), Dir("a")};
    const MenuPlan plan = PlanMenu(Inputs(list, true, disk, 11));
    EXPECT_EQ(Describe(OnlyEntry(plan)), "[&0] S #8 Folder > #9 [a|b]");
    EXPECT_EQ(plan.commandPaths, (Names{"C:\\S", "C:\\S\\", "C:\\S\\a", "C:\\S\\b"}));
}

TEST(MenuPlanIdRange, UnlistableFolderAtTheEdgeLeavesItsOffsetToTheNextEntry) {
    const FolderList list = ListOf({Expanded("Gone", "X:\\Gone"), Plain("Next", "C:\\Next")});
    FakeDisk disk;
    const MenuPlan plan = PlanMenu(Inputs(list, false, disk, 9));
    EXPECT_EQ(Describe(plan), (Layout{"---", "[&0] Gone #8 Folder > unlisted []", "[&1] Next #9 Folder",
                                      "---", kAdd, kConfigure}));
    EXPECT_EQ(plan.claimed, 10u);
}

TEST(MenuPlanIdRange, SmallRangesKeepTheFixedCommandsAsFarAsTheyFit) {
    const FolderList list = ListOf({Plain("A", "C:\\A"), Expanded("E", "C:\\E")});
    struct Case {
        unsigned maxOffset;
        bool subMenu;
        bool hasParent;
        Layout items;
        unsigned claimed;
    };
    const Case cases[] = {
        {0, false, false, {}, 1},
        {0, true, false, {}, 1},
        {1, false, false, {"---", kAdd}, 2},
        {1, true, true, {kAdd}, 2},
        {2, false, false, {"---", kAdd, kConfigure}, 3},
        {2, true, true, {kAdd, kConfigure}, 3},
        {5, false, false, {"---", kAdd, kConfigure}, 6},
        {7, false, false, {"---", kAdd, kConfigure}, 8},
        {7, true, true, {kAdd, kConfigure}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.maxOffset) + (c.subMenu ? " sub-menu" : " direct"));
        FakeDisk disk;
        disk.folders["C:\\E\\*"] = {Dir("x")};
        const MenuPlan plan = PlanMenu(Inputs(list, c.subMenu, disk, c.maxOffset));
        EXPECT_EQ(plan.hasParent, c.hasParent);
        EXPECT_EQ(Describe(plan), c.items);
        EXPECT_TRUE(plan.commandPaths.empty());
        EXPECT_TRUE(disk.searches.empty());
        EXPECT_EQ(plan.claimed, c.claimed);
    }
}

TEST(MenuPlanIdRange, EmptyRangePlansNothing) {
    const FolderList list = ListOf({Plain("A", "C:\\A"), Expanded("E", "C:\\E")});
    for (bool subMenu : {false, true}) {
        FakeDisk disk;
        disk.folders["C:\\E\\*"] = {Dir("x")};
        MenuInputs in = Inputs(list, subMenu, disk);
        in.maxOffset = std::nullopt;
        const MenuPlan plan = PlanMenu(in);
        EXPECT_FALSE(plan.hasParent);
        EXPECT_TRUE(plan.items.empty());
        EXPECT_TRUE(plan.commandPaths.empty());
        EXPECT_EQ(plan.claimed, 0u);
        EXPECT_TRUE(disk.searches.empty());
    }
}

TEST(MenuPlanIdRange, LargestPossibleRangeDoesNotWrapAround) {
    const FolderList list = ListOf({Plain("A", "C:\\A"), Expanded("E", "C:\\E")});
    FakeDisk disk;
    disk.folders["C:\\E\\*"] = {Dir("x")};
    const MenuPlan plan = PlanMenu(Inputs(list, false, disk, UINT_MAX));
    EXPECT_EQ(Describe(plan), (Layout{"---", "[&0] A #8 Folder", "[&1] E #9 Folder > #10 [x]", "---", kAdd,
                                      kConfigure}));
    EXPECT_EQ(plan.claimed, 12u);
}

// Every range from empty to more than enough: no offset above the range, the
// claimed count never past it, and what is kept is the start of the full menu
// with command paths that stay aligned with the offsets.
TEST(MenuPlanIdRange, EveryRangeKeepsIdsInsideAndTheStartOfTheFullMenu) {
    const FolderList list = ListOf({Expanded("One", "C:\\One", true), Plain("Two", "C:\\Two"),
                                    Expanded("Gone", "X:\\Gone"), Expanded("Three", "C:\\Three"),
                                    Plain("Four", "C:\\Four")});
    auto makeDisk = [] {
        FakeDisk disk;
        disk.folders["C:\\One\\*"] = {Dir("b"), Dir("a"), HiddenDir("h"), File("f")};
        disk.folders["C:\\Three\\*"] = {Dir("."), Dir(".."), Dir("t1"), Dir("t2"), Dir("t3")};
        return disk;
    };
    for (bool subMenu : {false, true}) {
        FakeDisk fullDisk = makeDisk();
        const MenuPlan full = PlanMenu(Inputs(list, subMenu, fullDisk));
        ASSERT_EQ(full.claimed, 20u);
        for (unsigned maxOffset = 0; maxOffset <= 22; ++maxOffset) {
            SCOPED_TRACE(std::to_string(maxOffset) + (subMenu ? " sub-menu" : " direct"));
            FakeDisk disk = makeDisk();
            const MenuPlan plan = PlanMenu(Inputs(list, subMenu, disk, maxOffset));
            EXPECT_EQ(plan.claimed, std::min(full.claimed, maxOffset + 1));
            const std::size_t folderIds = maxOffset >= 8 ? plan.claimed - 8u : 0u;
            ASSERT_EQ(plan.commandPaths.size(), folderIds);
            EXPECT_TRUE(std::equal(plan.commandPaths.begin(), plan.commandPaths.end(), full.commandPaths.begin()));

            std::vector<unsigned> folderOffsets;
            for (const MenuItemPlan& item : plan.items) {
                if (item.kind == MenuItemPlan::Kind::Separator) continue;
                EXPECT_LE(item.offset, maxOffset);
                if (item.offset >= kFirstFolderOffset) folderOffsets.push_back(item.offset);
                if (item.kind == MenuItemPlan::Kind::Subfolders && item.subfolders.listed) {
                    const SubfolderPopup& p = item.subfolders;
                    for (unsigned k = 0; k <= p.names.size(); ++k) folderOffsets.push_back(p.firstOffset + k);
                }
            }
            // Each folder id is handed out once, in order, without gaps.
            std::vector<unsigned> expectedOffsets;
            for (unsigned k = 0; k < folderIds; ++k) expectedOffsets.push_back(kFirstFolderOffset + k);
            EXPECT_EQ(folderOffsets, expectedOffsets);

            const Layout layout = Describe(plan);
            const Layout fullLayout = Describe(full);
            const bool hasAdd = std::count(layout.begin(), layout.end(), kAdd) == 1;
            const bool hasConfigure = std::count(layout.begin(), layout.end(), kConfigure) == 1;
            EXPECT_EQ(hasAdd, maxOffset >= 1);
            EXPECT_EQ(hasConfigure, maxOffset >= 2);
            EXPECT_EQ(plan.hasParent, subMenu && maxOffset >= 1);
            if (maxOffset >= full.claimed - 1) EXPECT_EQ(layout, fullLayout);
            // No separator at either end of the popup, none twice in a row.
            for (std::size_t i = 0; i + 1 < layout.size(); ++i) {
                EXPECT_FALSE(layout[i] == "---" && layout[i + 1] == "---");
            }
            if (!layout.empty()) {
                EXPECT_NE(layout.back(), "---");
                if (subMenu) EXPECT_NE(layout.front(), "---");
            }
        }
    }
}

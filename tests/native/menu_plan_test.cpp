// The context-menu plan: both styles, item texts and offsets, the command
// paths behind them, sub-folder popups and the id range the shell grants.
// Directories come from a fake disk: a search pattern that is no key there is
// a folder that cannot be listed.
#include "core/menu_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <climits>
#include <map>
#include <string>
#include <vector>

using namespace wayleap;

namespace {

using Names = std::vector<std::string>;

FoundFile Dir(std::string name, std::uint32_t more = 0) { return {std::move(name), kAttributeDirectory | more}; }
// A sub-folder whose name the code page cannot hold: its true form, and the best the code page gives.
FoundFile Wide(std::u16string wide, std::string best) { return {std::move(best), kAttributeDirectory, std::move(wide)}; }

// A true name as the expectations write it: code units above 0x7F as {XXXX}.
std::string Shown(std::u16string_view wide) {
    std::string out;
    for (char16_t unit : wide) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "{%04X}", static_cast<unsigned>(unit));
        out += unit < 0x80 ? std::string(1, static_cast<char>(unit)) : std::string(hex);
    }
    return out;
}
std::string Shown(const SubfolderName& n) { return n.wide.empty() ? n.name : Shown(n.wide); }

struct FakeDisk {
    std::map<std::string, std::vector<FoundFile>> folders;
    Names searches;
};

// A folder list and the views of it that the plan reads.
struct Listed {
    FolderList list;
    std::vector<FolderEntryView> views;
};

Listed ListOf(const std::vector<FolderEntry>& entries) {
    Listed listed;
    for (const FolderEntry& e : entries) listed.list.Append(e);
    for (const FolderEntry& e : listed.list) listed.views.push_back({e.name, e.path, e.expand, e.sort});
    return listed;
}

MenuInputs Inputs(const Listed& listed, bool subMenu, FakeDisk& disk, std::optional<unsigned> maxOffset = 0x7FFF) {
    MenuInputs in;
    in.folders = &listed.views;
    in.useSubMenu = subMenu;
    in.lastSelection = "C:\\Selected";
    in.maxOffset = maxOffset;
    in.texts = {"WL", "Add", "Conf", "<This>"};
    in.listDirectory = [&disk](const std::string& pattern) -> std::optional<std::vector<FoundFile>> {
        disk.searches.push_back(pattern);
        auto it = disk.folders.find(pattern);
        return it == disk.folders.end() ? std::nullopt : std::optional(it->second);
    };
    return in;
}

// One line per item: "text #offset", "+" when it has its picture, "grayed",
// and for a popup "> #first [names]" or "> unlisted".
std::vector<std::string> Describe(const MenuPlan& plan, const MenuInputs& in) {
    std::vector<std::string> out;
    static const SubfolderPopup kNone;
    for (const MenuItemPlan& item : plan.items) {
        const unsigned o = item.offset;
        const MenuBitmap picture = o == kOffsetAdd ? MenuBitmap::Add : o == kOffsetConfigure ? MenuBitmap::Configure : MenuBitmap::Folder;
        std::string s;
        ItemText(item, in, s);
        s += " #" + std::to_string(o) + (item.bitmap == picture ? "+" : "") + (item.grayed ? " grayed" : "");
        const bool popup = item.popup != MenuItemPlan::kNoPopup;
        const SubfolderPopup& p = popup ? plan.popups.at(item.popup) : kNone;
        if (popup) s += p.listed ? " > #" + std::to_string(p.firstOffset) + " [" : " > unlisted";
        for (std::size_t i = 0; i < p.names.size(); ++i) s += (i ? "|" : "") + Shown(p.names[i]);
        if (p.listed) s += "]";
        out.push_back(item.kind == MenuItemPlan::Kind::Separator ? "---" : s);
    }
    return out;
}

}  // namespace

// A folder is searched with its path plus "*" when it ends in a real
// backslash, else plus "\*" (the fuzz target checks which, and the paths of
// its popup), and not at all when that pattern would pass 259 bytes.
TEST(MenuPlan, PopupSearchPatternLimit) {
    const std::string p254 = "C:\\" + std::string(254, 'p');
    for (const std::string& path : {p254, p254 + "p", p254 + "p\\"}) {
        SCOPED_TRACE(path.size());
        const Listed list = ListOf({{"E", path, true}});
        FakeDisk disk;
        const MenuInputs in = Inputs(list, true, disk);
        PlanMenu(in);
        const Names searched = path == p254 ? Names{p254 + "\\*"} : Names{};
        EXPECT_EQ(disk.searches, searched);
        EXPECT_EQ(ListingPatterns(in), searched);
    }
}

// Kept are directories but "." and "..", hidden ones only while the shell
// shows them, and only those whose path fits 260 bytes (260 UTF-16 units for
// a name the code page cannot hold); sorted when the entry says so - the
// names the code page holds byte-wise (a prefix first), then the others by
// UTF-16 code units - else in the lister's order. Their command paths, true
// ones included, are checked by the fuzz target.
TEST(MenuPlan, PopupSubfoldersFilterAndSort) {
    const std::string f252(252, 'f');  // "C:\\Data\\" and 252 bytes make the longest path there is
    const std::u16string w252(252, u'w');
    const std::vector<FoundFile> found = {Dir("."), Dir(".."), Dir("beta"), Wide(u"\u65E5\u672C", "??"),
        {"file.txt", 0x20}, Dir("Alpha"), Dir("hid", kAttributeHidden), Dir("sys", 0x4), Wide(u"\u0101b", "ab"),
        {"hiddenFile", kAttributeHidden}, Dir("..old"), Dir("ab"), Dir("a"), Dir("\xE9"), Dir(f252), Dir(f252 + "t"),
        Wide(u"Zz\u0101", "Zza"), Wide(w252 + u"\u0101", f252 + "a"), Wide(w252.substr(1) + u"\u0101", f252)};
    const std::string cjk = "{65E5}{672C}", macron = "{0101}b", zz = "Zz{0101}", w251 = Shown(w252.substr(1) + u"\u0101");
    struct Case { bool sort; bool showHidden; Names names; };
    const Case cases[] = {
        {false, false, {"beta", cjk, "Alpha", "sys", macron, "..old", "ab", "a", "\xE9", f252, zz, w251}},
        {false, true, {"beta", cjk, "Alpha", "hid", "sys", macron, "..old", "ab", "a", "\xE9", f252, zz, w251}},
        {true, false, {"..old", "Alpha", "a", "ab", "beta", f252, "sys", "\xE9", zz, w251, macron, cjk}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sort ? "sorted" : "unsorted") + (c.showHidden ? ", hidden shown" : ""));
        const Listed list = ListOf({{"D", "C:\\Data", true, c.sort}});
        FakeDisk disk;
        disk.folders["C:\\Data\\*"] = found;
        MenuInputs in = Inputs(list, true, disk);
        in.showHidden = c.showHidden;
        in.widen = [](std::string_view ansi) { return std::u16string(ansi.begin(), ansi.end()); };
        const MenuPlan plan = PlanMenu(in);
        Names names;
        for (const SubfolderName& name : plan.popups.at(0).names) names.push_back(Shown(name));
        EXPECT_EQ(names, c.names);
    }
}

// The full menu: direct style starts with a separator, sub-menu style puts it
// all under the parent; a popup's "<This Folder>" and sub-folders take the
// offsets after their entry; every expanded entry's folder is searched. The
// command paths and ids claimed, what a smaller id range keeps and the fixed
// commands alone are checked by the fuzz target's invariants.
TEST(MenuPlan, LayoutInBothStyles) {
    const Listed list = ListOf({{"One", "C:\\One", true, true}, {"Two", "C:\\Two", true}, {"Gone", "X:\\Gone", true},
                                {"Three", "D:\\Three", true}, {"Four", "E:\\Four"}});
    const Names fullLayout = {"[&0] One #8+ > #9 [a|b]", "[&1] Two #12+ > #13 []", "[&2] Gone #14+ > unlisted",
                              "[&3] Three #15+ > #16 [x|y]", "[&4] Four #19+", "---", "Add #1+", "Conf #2+"};
    const Names searched = {"C:\\One\\*", "C:\\Two\\*", "X:\\Gone\\*", "D:\\Three\\*"};
    FakeDisk disk;
    disk.folders["C:\\One\\*"] = {Dir("b"), Dir("a"), Dir("h", kAttributeHidden)};
    disk.folders["C:\\Two\\*"] = {Dir("."), Dir("..")};
    disk.folders["D:\\Three\\*"] = {Dir("."), Dir(".."), Dir("x"), Dir("y")};
    for (bool subMenu : {false, true}) {
        SCOPED_TRACE(subMenu ? "sub-menu" : "direct");
        disk.searches.clear();
        const MenuInputs in = Inputs(list, subMenu, disk, UINT_MAX);
        const MenuPlan plan = PlanMenu(in);
        Names layout = fullLayout;
        if (!subMenu) layout.insert(layout.begin(), "---");
        EXPECT_EQ(Describe(plan, in), layout);
        EXPECT_EQ(disk.searches, searched);
    }
}

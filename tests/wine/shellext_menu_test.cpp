// SkipdoorCM.dll's menu through COM, read back from real menus: both layouts,
// texts, ids and pictures; the state of "Add to Wayleap..." from the
// selection; sub-folder popups and their refresh; where the items go and
// which ids they may take; and what a handler leaves behind when released.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/shellext_fixture.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

// A menu as one line: "text#id" per item, "-" per separator, and a popup's
// items in braces behind its parent ("Wayleap#100{Add to Wayleap...#101 | ...}").
std::string Outline(const std::vector<MenuItem>& items) {
    std::string out;
    for (const MenuItem& item : items) {
        if (!out.empty()) out += " | ";
        if (item.separator) {
            out += "-";
            continue;
        }
        out += item.text + "#" + std::to_string(item.id);
        if (item.subMenu) out += "{" + Outline(item.children) + "}";
    }
    return out;
}

std::string Outline(HMENU menu) { return Outline(ReadMenu(menu)); }

// Every item of a menu and of its popups, separators left out.
void Flatten(const std::vector<MenuItem>& items, std::vector<MenuItem>& out) {
    for (const MenuItem& item : items) {
        if (item.separator) continue;
        out.push_back(item);
        Flatten(item.children, out);
    }
}

std::vector<MenuItem> Commands(const std::vector<MenuItem>& items) {
    std::vector<MenuItem> out;
    Flatten(items, out);
    return out;
}

const MenuItem* FindId(const std::vector<MenuItem>& items, UINT id) {
    for (const MenuItem& item : items) {
        if (!item.separator && item.id == id) return &item;
        if (const MenuItem* inner = FindId(item.children, id)) return inner;
    }
    return nullptr;
}

bool Grayed(const std::vector<MenuItem>& items, UINT id) {
    const MenuItem* item = FindId(items, id);
    EXPECT_NE(item, nullptr) << "no item with id " << id;
    return item && (item->state & MFS_GRAYED) != 0;
}

constexpr UINT kParentId = kFirstId + 0;
constexpr UINT kAddId = kFirstId + 1;
constexpr UINT kConfigureId = kFirstId + 2;
constexpr UINT kFolderId = kFirstId + 8;

FolderEntry Plain(const std::string& name, const std::string& path) { return {name, path, false, false}; }
FolderEntry Expanded(const std::string& name, const std::string& path, bool sort = true) {
    return {name, path, true, sort};
}

// The popup of the first cascading item (in direct style, the first expanded entry's).
HMENU FirstPopup(const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.subMenu) return item.subMenu;
    }
    ADD_FAILURE() << "no cascading item in " << Outline(items);
    return nullptr;
}

// The sub-folder names a popup shows after "<This Folder>".
std::vector<std::string> PopupNames(HMENU popup) {
    std::vector<std::string> names = Texts(ReadMenu(popup));
    if (!names.empty()) names.erase(names.begin());
    return names;
}

// The pixels of a bitmap as 32-bit colours, top row first.
std::vector<DWORD> Pixels(HBITMAP bitmap) {
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof info, &info)) return {};
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == info.bmHeight ? pixels : std::vector<DWORD>();
}

std::set<HBITMAP> PicturesOf(const std::vector<MenuItem>& items) {
    std::set<HBITMAP> pictures;
    for (const MenuItem& item : Commands(items)) {
        pictures.insert(item.checked);
        pictures.insert(item.unchecked);
    }
    pictures.erase(nullptr);
    return pictures;
}

int LivePictures(const std::set<HBITMAP>& pictures) {
    int live = 0;
    for (HBITMAP picture : pictures) live += GetObjectType(picture) == OBJ_BITMAP ? 1 : 0;
    return live;
}

class ShellextMenu : public ::testing::Test {
protected:
    void SetUp() override {
        SetMenuStyle(false);
        SetShowHidden(false);
    }
    void TearDown() override { SetShowHidden(false); }

    void WriteList(const std::vector<FolderEntry>& entries) {
        FolderList list;
        for (const FolderEntry& entry : entries) list.Append(entry);
        WriteFolderList(dll, list);
    }

    // A directory in the scratch directory (its parent must exist), without a trailing backslash.
    std::string MakeDir(const std::string& relative) {
        const std::string path = scratch / relative;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        return path;
    }

    void MakeFile(const std::string& relative) { EXPECT_TRUE(WriteBytes(scratch / relative, "x")); }

    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};
};

// ---------------------------------------------------------------------------
// Layouts, texts, ids and pictures

class MenuLayout : public ShellextMenu {};

TEST_F(MenuLayout, EmptyListInBothStyles) {
    const struct {
        const char* what;
        bool submenu;
        bool fileExists;
        const char* outline;
    } cases[] = {
        {"direct, empty file", false, true, "- | Add to Wayleap...#101 | Configure Wayleap...#102"},
        {"direct, no file", false, false, "- | Add to Wayleap...#101 | Configure Wayleap...#102"},
        {"sub-menu, empty file", true, true, "Wayleap#100{Add to Wayleap...#101 | Configure Wayleap...#102}"},
        {"sub-menu, no file", true, false, "Wayleap#100{Add to Wayleap...#101 | Configure Wayleap...#102}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fileExists) {
            WriteList({});
        } else {
            DeleteFileA(dll.dataFile().c_str());
        }
        SetMenuStyle(c.submenu);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
        EXPECT_EQ(Outline(menu.items), c.outline);
        for (const MenuItem& item : Commands(menu.items)) EXPECT_EQ(item.state & MFS_GRAYED, 0u) << item.text;
    }
}

TEST_F(MenuLayout, TwelveEntriesNumberTheFirstTen) {
    const char* const names[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo",  "Foxtrot",
                                 "Golf",  "Hotel", "India",   "Juliett", "Kilo", "Lima"};
    const char* const texts[] = {"[&0] Alpha", "[&1] Bravo", "[&2] Charlie", "[&3] Delta",
                                 "[&4] Echo",  "[&5] Foxtrot", "[&6] Golf", "[&7] Hotel",
                                 "[&8] India", "[&9] Juliett", "Kilo",      "Lima"};
    std::vector<FolderEntry> entries;
    std::string listed;
    for (int i = 0; i < 12; ++i) {
        entries.push_back(Plain(names[i], "C:\\Folders\\" + std::string(names[i])));
        listed += std::string(texts[i]) + "#" + std::to_string(kFolderId + i) + " | ";
    }
    WriteList(entries);
    const std::string fixed = "- | Add to Wayleap...#101 | Configure Wayleap...#102";

    for (bool submenu : {false, true}) {
        SCOPED_TRACE(submenu ? "sub-menu style" : "direct style");
        SetMenuStyle(submenu);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 20));
        EXPECT_EQ(Outline(menu.items), submenu ? "Wayleap#100{" + listed + fixed + "}" : "- | " + listed + fixed);
    }
}

TEST_F(MenuLayout, PicturesAreTheModulesBitmapsAsBothCheckMarks) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\sub");
    WriteList({Plain("Plain", "C:\\Plain"), Expanded("Tree", tree)});
    SetMenuStyle(true);
    Handler h;
    BuiltMenu menu;
    BuildMenu(h, scratch.path(), menu);
    ASSERT_EQ(Outline(menu.items),
              "Wayleap#100{[&0] Plain#108 | [&1] Tree#109{<This Folder>#110 | sub#111} | - | "
              "Add to Wayleap...#101 | Configure Wayleap...#102}");

    std::set<HBITMAP> folder, add, configure;
    for (const MenuItem& item : Commands(menu.items)) {
        EXPECT_NE(item.unchecked, nullptr) << item.text;
        EXPECT_EQ(item.checked, item.unchecked) << item.text;
        if (item.id >= kFolderId) folder.insert(item.unchecked);
        if (item.id == kAddId) add.insert(item.unchecked);
        if (item.id == kConfigureId || item.id == kParentId) configure.insert(item.unchecked);
    }
    ASSERT_EQ(folder.size(), 1u) << "every folder command, in the popup too, shows one picture";
    ASSERT_EQ(add.size(), 1u);
    ASSERT_EQ(configure.size(), 1u) << "the parent item shows the configure picture";
    EXPECT_EQ((std::set<HBITMAP>{*folder.begin(), *add.begin(), *configure.begin()}).size(), 3u);

    // The pictures are the module's bitmaps 211, 214 and 213, 13 by 13 pixels.
    const struct {
        const char* what;
        HBITMAP shown;
        int resource;
    } pictures[] = {{"folder", *folder.begin(), 211}, {"add", *add.begin(), 214}, {"configure", *configure.begin(), 213}};
    std::set<std::vector<DWORD>> distinct;
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.what);
        BITMAP info = {};
        ASSERT_NE(GetObjectA(p.shown, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, 13);
        EXPECT_EQ(info.bmHeight, 13);
        HBITMAP reference = LoadBitmapA(dll.module(), MAKEINTRESOURCEA(p.resource));
        ASSERT_NE(reference, nullptr);
        const std::vector<DWORD> expected = Pixels(reference);
        DeleteObject(reference);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Pixels(p.shown), expected);
        distinct.insert(expected);
    }
    EXPECT_EQ(distinct.size(), 3u) << "the three resources look different";
}

// ---------------------------------------------------------------------------
// "Add to Wayleap...": enabled only for a selected folder that is not listed

class AddItemState : public ShellextMenu {};

TEST_F(AddItemState, BackgroundClickIsComparedByteForByte) {
    const std::string here = ShellPathOf(scratch.path());
    ASSERT_FALSE(here.empty());
    ASSERT_NE(here.back(), '\\') << "the shell names a folder without a trailing backslash";
    std::string upper = here;
    CharUpperA(&upper[0]);
    ASSERT_NE(upper, here);
    ASSERT_EQ(ShellPathOf("C:\\"), "C:\\") << "a drive root keeps its backslash";

    const struct {
        const char* what;
        std::string clicked;
        std::vector<std::string> listed;
        bool grayed;
    } cases[] = {
        {"empty list", scratch.path(), {}, false},
        {"other folders listed", scratch.path(), {"C:\\Elsewhere", here + "x", here.substr(0, here.size() - 1)}, false},
        {"listed exactly", scratch.path(), {here}, true},
        {"listed exactly, behind others", scratch.path(), {"C:\\Elsewhere", "D:\\", here}, true},
        {"listed in capitals", scratch.path(), {upper}, false},
        {"listed with a trailing backslash", scratch.path(), {here + "\\"}, false},
        {"drive root listed exactly", "C:\\", {"C:\\"}, true},
        {"drive root listed without its backslash", "C:\\", {"C:"}, false},
        {"drive root listed in small letters", "C:\\", {"c:\\"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<FolderEntry> entries;
        for (const std::string& path : c.listed) entries.push_back(Plain("Listed", path));
        WriteList(entries);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, c.clicked, menu);
        EXPECT_EQ(Grayed(menu.items, kAddId), c.grayed);
        EXPECT_FALSE(Grayed(menu.items, kConfigureId));
    }
}

TEST_F(AddItemState, SelectedItemsTheLastFolderDecides) {
    const std::string pick = MakeDir("pick") + "\\";
    MakeDir("pick\\one");
    MakeDir("pick\\two");
    MakeFile("pick\\a.txt");
    MakeFile("pick\\b.txt");
    const std::string one = ShellPathOf(pick + "one");
    const std::string two = ShellPathOf(pick + "two");
    const std::string aFile = ShellPathOf(pick + "a.txt");
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(two.empty());

    const struct {
        const char* what;
        std::vector<std::string> selected;  // in the data object's order
        std::vector<std::string> listed;
        bool grayed;
    } cases[] = {
        {"one folder, not listed", {"one"}, {two}, false},
        {"one folder, listed", {"one"}, {one}, true},
        {"two folders, the last listed", {"one", "two"}, {two}, true},
        {"two folders, only the first listed", {"one", "two"}, {one}, false},
        {"the same two the other way round", {"two", "one"}, {two}, false},
        {"a file after the last folder", {"one", "a.txt"}, {one}, true},
        {"a file between two folders", {"two", "a.txt", "one"}, {one}, true},
        {"a file last, whose path is listed", {"one", "a.txt"}, {aFile}, false},
        {"files only", {"a.txt", "b.txt"}, {}, true},
        {"files only, one of them listed", {"a.txt", "b.txt"}, {aFile}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<FolderEntry> entries;
        for (const std::string& path : c.listed) entries.push_back(Plain("Listed", path));
        WriteList(entries);
        IDataObject* data = DataObjectFor(pick, c.selected);
        ASSERT_NE(data, nullptr);
        Handler h;
        ASSERT_TRUE(h);
        EXPECT_EQ(h.init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        BuiltMenu menu;
        QueryMenu(h, menu);
        EXPECT_EQ(Grayed(menu.items, kAddId), c.grayed);
        EXPECT_FALSE(Grayed(menu.items, kConfigureId));
    }
}

TEST_F(AddItemState, NothingSelectedGraysIt) {
    const std::string pick = MakeDir("pick") + "\\";
    MakeDir("pick\\one");
    WriteList({Plain("Elsewhere", "C:\\Elsewhere")});

    const struct {
        const char* what;
        std::function<HRESULT(IShellExtInit*)> initialize;
    } cases[] = {
        {"neither folder nor items",
         [](IShellExtInit* init) { return init->Initialize(nullptr, nullptr, nullptr); }},
        {"a folder and items at once",
         [&](IShellExtInit* init) {
             PIDLIST_ABSOLUTE pidl = PidlOf(pick);
             IDataObject* data = DataObjectFor(pick, {"one"});
             const HRESULT hr = init->Initialize(pidl, data, nullptr);
             if (data) data->Release();
             CoTaskMemFree(pidl);
             return hr;
         }},
        {"a virtual folder without a file-system path",
         [](IShellExtInit* init) {
             PIDLIST_ABSOLUTE pidl = nullptr;
             if (FAILED(SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, &pidl))) return E_FAIL;
             const HRESULT hr = init->Initialize(pidl, nullptr, nullptr);
             CoTaskMemFree(pidl);
             return hr;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Handler h;
        ASSERT_TRUE(h);
        EXPECT_EQ(c.initialize(h.init), S_OK);
        BuiltMenu menu;
        QueryMenu(h, menu);
        EXPECT_EQ(Outline(menu.items), "- | [&0] Elsewhere#108 | - | Add to Wayleap...#101 | Configure Wayleap...#102");
        EXPECT_TRUE(Grayed(menu.items, kAddId));
        EXPECT_FALSE(Grayed(menu.items, kConfigureId));
    }
}

// ---------------------------------------------------------------------------
// Sub-folder popups of expanded entries

class SubfolderPopup : public ShellextMenu {};

TEST_F(SubfolderPopup, ThisFolderThenTheSubFolders) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\Music");
    MakeDir("tree\\R&D");
    MakeDir("tree\\Music\\Deeper");
    MakeFile("tree\\notes.txt");
    WriteList({Expanded("Tree", tree), Plain("After", "C:\\After")});
    Handler h;
    BuiltMenu menu;
    BuildMenu(h, scratch.path(), menu);
    EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 13));
    ASSERT_EQ(Outline(menu.items),
              "- | [&0] Tree#108{<This Folder>#109 | Music#110 | R&D#111} | [&1] After#112 | - | "
              "Add to Wayleap...#101 | Configure Wayleap...#102");

    const MenuItem& entry = menu.items[1];
    ASSERT_NE(entry.subMenu, nullptr);
    for (const MenuItem& item : entry.children) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(item.data, reinterpret_cast<ULONG_PTR>(entry.subMenu)) << "item data is the popup's own handle";
        EXPECT_EQ(item.subMenu, nullptr) << "one level deep";
        EXPECT_EQ(item.unchecked, entry.unchecked);
        EXPECT_EQ(item.checked, entry.unchecked);
        EXPECT_EQ(item.state, 0u);
    }

    const struct {
        UINT offset;
        std::string help;
    } helps[] = {
        {8, tree}, {9, tree + "\\"}, {10, tree + "\\Music"}, {11, tree + "\\R&D"}, {12, "C:\\After"},
        {13, "hr=" + std::to_string(static_cast<long>(E_INVALIDARG))},
    };
    for (const auto& c : helps) EXPECT_EQ(HelpTextA(h, c.offset), c.help) << "offset " << c.offset;
}

TEST_F(SubfolderPopup, ThisFolderHasExactlyOneTrailingBackslash) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\Data");
    const struct {
        const char* what;
        std::string path;
    } cases[] = {{"stored without a backslash", tree}, {"stored with one", tree + "\\"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteList({Expanded("Tree", c.path)});
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        EXPECT_EQ(Outline(FirstPopup(menu.items)), "<This Folder>#109 | Data#110");
        EXPECT_EQ(HelpTextA(h, 8), c.path) << "the entry's own item: its path as stored";
        EXPECT_EQ(HelpTextA(h, 9), tree + "\\");
        EXPECT_EQ(HelpTextA(h, 10), tree + "\\Data");
    }
}

TEST_F(SubfolderPopup, AdjacentExpandedEntriesTakeConsecutiveIds) {
    const std::string first = MakeDir("first");
    MakeDir("first\\a");
    MakeDir("first\\b");
    const std::string second = MakeDir("second");
    MakeDir("second\\c");
    WriteList({Expanded("First", first), Expanded("Second", second), Plain("Third", "C:\\Third")});
    Handler h;
    BuiltMenu menu;
    BuildMenu(h, scratch.path(), menu);
    EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 16));
    EXPECT_EQ(Outline(menu.items),
              "- | [&0] First#108{<This Folder>#109 | a#110 | b#111} | "
              "[&1] Second#112{<This Folder>#113 | c#114} | [&2] Third#115 | - | "
              "Add to Wayleap...#101 | Configure Wayleap...#102");
    const struct {
        UINT offset;
        std::string help;
    } helps[] = {
        {8, first},  {9, first + "\\"},  {10, first + "\\a"}, {11, first + "\\b"},
        {12, second}, {13, second + "\\"}, {14, second + "\\c"}, {15, "C:\\Third"},
    };
    for (const auto& c : helps) EXPECT_EQ(HelpTextA(h, c.offset), c.help) << "offset " << c.offset;
}

TEST_F(SubfolderPopup, SortedByteWiseCapitalsFirst) {
    const std::string tree = MakeDir("tree");
    for (const char* name : {"beta", "Alpha", "Zeta", "alpha2", "delta", "delt", "\xE9t\xE9"}) {
        MakeDir(std::string("tree\\") + name);
    }
    WriteList({Expanded("Tree", tree, true)});
    Handler h;
    BuiltMenu menu;
    BuildMenu(h, scratch.path(), menu);
    EXPECT_EQ(PopupNames(FirstPopup(menu.items)),
              (std::vector<std::string>{"Alpha", "Zeta", "alpha2", "beta", "delt", "delta", "\xE9t\xE9"}));
    // Command paths follow the sorted order.
    EXPECT_EQ(HelpTextA(h, 10), tree + "\\Alpha");
    EXPECT_EQ(HelpTextA(h, 16), tree + "\\\xE9t\xE9");
}

TEST_F(SubfolderPopup, UnsortedKeepsTheFileSystemsOrder) {
    const std::string tree = MakeDir("tree");
    for (const char* name : {"mango", "Kiwi", "apple", "Zucchini", "fig", "banana", "Cherry", "date"}) {
        MakeDir(std::string("tree\\") + name);
    }
    std::vector<std::string> expected;
    for (const std::string& name : FilesMatching(tree + "\\", "*")) {
        if (name != "." && name != "..") expected.push_back(name);
    }
    ASSERT_EQ(expected.size(), 8u);
    WriteList({Expanded("Tree", tree, false)});
    Handler h;
    BuiltMenu menu;
    BuildMenu(h, scratch.path(), menu);
    EXPECT_EQ(PopupNames(FirstPopup(menu.items)), expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(HelpTextA(h, static_cast<UINT>(10 + i)), tree + "\\" + expected[i]);
    }
}

TEST_F(SubfolderPopup, HiddenFoldersOnlyWhileTheShellShowsThem) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\shown");
    const std::string hidden = MakeDir("tree\\hidden");
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string system = MakeDir("tree\\system");
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    MakeDir("tree\\.dot");
    MakeFile("tree\\file.txt");
    MakeFile("tree\\.hiddenfile");
    if ((GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        GTEST_SKIP() << "the file system here keeps no hidden attribute";
    }
    WriteList({Expanded("Tree", tree, true)});

    const struct {
        bool showHidden;
        std::vector<std::string> names;
    } cases[] = {
        {false, {"shown", "system"}},
        {true, {".dot", "hidden", "shown", "system"}},  // never "." and "..", never files
        {false, {"shown", "system"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.showHidden ? "hidden files shown" : "hidden files not shown");
        SetShowHidden(c.showHidden);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        EXPECT_EQ(PopupNames(FirstPopup(menu.items)), c.names);
    }
}

TEST_F(SubfolderPopup, FolderWithoutListableSubFolders) {
    const std::string empty = MakeDir("empty");
    MakeFile("empty\\only-a-file.txt");
    const struct {
        const char* what;
        std::string path;
        const char* outline;
        int code;
    } cases[] = {
        {"missing folder: an empty popup and one id", scratch / "gone", "[&0] Tree#108{} | [&1] Next#109", 10},
        {"no sub-folders: only <This Folder>", empty, "[&0] Tree#108{<This Folder>#109} | [&1] Next#110", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteList({Expanded("Tree", c.path), Plain("Next", "C:\\Next")});
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.code));
        EXPECT_EQ(Outline(menu.items),
                  std::string("- | ") + c.outline + " | - | Add to Wayleap...#101 | Configure Wayleap...#102");
        EXPECT_EQ(HelpTextA(h, 8), c.path);
        EXPECT_EQ(HelpTextA(h, c.code - 1), "C:\\Next");
        EXPECT_EQ(HelpTextA(h, c.code), "hr=" + std::to_string(static_cast<long>(E_INVALIDARG)));
    }
}

// ---------------------------------------------------------------------------
// Refreshing popups while the menu is open

class PopupRefresh : public ShellextMenu {
protected:
    void SetUp() override {
        ShellextMenu::SetUp();
        tree = MakeDir("tree");
        for (const char* name : {"c", "a", "b"}) MakeDir(std::string("tree\\") + name);
        WriteList({Expanded("Tree", tree)});
    }

    // Made here, not with the fixture: a second live handler would do nothing.
    void Build() {
        h = std::make_unique<Handler>();
        BuildMenu(*h, scratch.path(), menu);
        ASSERT_EQ(menu.items.size(), 5u);
        popup = menu.items[1].subMenu;
        ASSERT_NE(popup, nullptr);
    }

    HRESULT InitMenuPopup(HMENU target) {
        return h->menu->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(target), 0, nullptr);
    }

    static void KeepOnlyTheFirstItem(HMENU target) {
        for (int i = GetMenuItemCount(target) - 1; i >= 1; --i) DeleteMenu(target, i, MF_BYPOSITION);
    }

    const std::string kFull = "<This Folder>#109 | a#110 | b#111 | c#112";
    std::string tree;
    std::unique_ptr<Handler> h;
    BuiltMenu menu;
    HMENU popup = nullptr;
};

TEST_F(PopupRefresh, RebuildsThePopupIdentically) {
    Build();
    const std::vector<MenuItem> before = ReadMenu(popup);
    ASSERT_EQ(Outline(before), kFull);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(InitMenuPopup(popup), S_OK);
        const std::vector<MenuItem> after = ReadMenu(popup);
        ASSERT_EQ(Outline(after), kFull) << "same texts and ids, nothing twice";
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].data, before[i].data);
            EXPECT_EQ(after[i].unchecked, before[i].unchecked);
            EXPECT_EQ(after[i].checked, before[i].checked);
        }
    }
}

TEST_F(PopupRefresh, BothMessageInterfacesRefill) {
    Build();
    IContextMenu2* menu2 = nullptr;
    ASSERT_EQ(h->init->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu2)), S_OK);
    LRESULT result = 12345;
    const struct {
        const char* what;
        std::function<HRESULT()> deliver;
    } cases[] = {
        {"IContextMenu3::HandleMenuMsg2",
         [&] { return h->menu->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0, &result); }},
        {"IContextMenu2::HandleMenuMsg",
         [&] { return menu2->HandleMenuMsg(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeepOnlyTheFirstItem(popup);
        ASSERT_EQ(Outline(popup), "<This Folder>#109");
        EXPECT_EQ(c.deliver(), S_OK);
        EXPECT_EQ(Outline(popup), kFull);
    }
    EXPECT_EQ(result, 12345) << "the result is never written";
    menu2->Release();
}

TEST_F(PopupRefresh, OtherMessagesAreIgnored) {
    Build();
    KeepOnlyTheFirstItem(popup);
    for (UINT msg : {static_cast<UINT>(WM_MENUSELECT), static_cast<UINT>(WM_INITMENU),
                     static_cast<UINT>(WM_UNINITMENUPOPUP), static_cast<UINT>(WM_MENUCHAR)}) {
        EXPECT_EQ(h->menu->HandleMenuMsg2(msg, reinterpret_cast<WPARAM>(popup), 0, nullptr), S_OK) << msg;
    }
    EXPECT_EQ(Outline(popup), "<This Folder>#109");
}

TEST_F(PopupRefresh, AMenuWhoseFirstItemNamesThePopupIsFilledFromIt) {
    Build();
    HMENU copy = CreatePopupMenu();
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA;
    char text[] = "<This Folder>";
    mii.dwTypeData = text;
    mii.wID = 109;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(popup);
    ASSERT_TRUE(InsertMenuItemA(copy, 0, TRUE, &mii));
    ASSERT_TRUE(AppendMenuA(copy, MF_STRING, 999, "stale"));

    EXPECT_EQ(InitMenuPopup(copy), S_OK);
    const std::vector<MenuItem> items = ReadMenu(copy);
    EXPECT_EQ(Outline(items), kFull);
    for (std::size_t i = 1; i < items.size(); ++i) {
        EXPECT_EQ(items[i].data, reinterpret_cast<ULONG_PTR>(popup));
        EXPECT_EQ(items[i].unchecked, menu.items[1].unchecked);
    }
    EXPECT_EQ(Outline(popup), kFull) << "the original popup is left as it was";
    DestroyMenu(copy);
}

TEST_F(PopupRefresh, MenusThatAreNotOursAreLeftAlone) {
    Build();
    HMENU emptyMenu = CreatePopupMenu();
    HMENU noData = CreatePopupMenu();
    AppendMenuA(noData, MF_STRING, 200, "first");
    AppendMenuA(noData, MF_STRING, 201, "second");
    HMENU otherData = CreatePopupMenu();
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA;
    char text[] = "foreign";
    mii.dwTypeData = text;
    mii.wID = 300;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(noData);
    InsertMenuItemA(otherData, 0, TRUE, &mii);
    AppendMenuA(otherData, MF_STRING, 301, "kept");

    const struct {
        const char* what;
        HMENU target;
    } cases[] = {
        {"an empty menu", emptyMenu},
        {"first item without data", noData},
        {"first item with data of no popup of ours", otherData},
        {"the shell's menu holding the entry", menu.menu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = Outline(c.target);
        EXPECT_EQ(InitMenuPopup(c.target), S_OK);
        EXPECT_EQ(Outline(c.target), before);
    }
    for (HMENU m : {emptyMenu, noData, otherData}) DestroyMenu(m);
}

// Office-style file dialogs show the sub-folders only once the popup opens.
TEST_F(PopupRefresh, OfficeStyleForegroundFillsOnlyOnRefresh) {
    const struct {
        const char* className;
        bool office;
    } cases[] = {
        {"bosa_sdm_Mso96", true}, {"bosa_sdm_", true},       {"bosa_sdmX", false},
        {"bosa_sd", false},       {"BOSA_SDM_XL9", false}, {"xbosa_sdm_XL9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = c.className;
        ASSERT_NE(RegisterClassA(&wc), 0);
        HWND window = CreateWindowExA(0, c.className, "Save As", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                      nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        const bool foreground = GetForegroundWindow() == window;

        if (foreground) {
            Handler handler;
            BuiltMenu built;
            BuildMenu(handler, scratch.path(), built);
            ASSERT_EQ(built.items.size(), 5u);
            HMENU sub = built.items[1].subMenu;
            EXPECT_EQ(Outline(sub), c.office ? "<This Folder>#109" : kFull);
            EXPECT_EQ(HelpTextA(handler, 12), tree + "\\c") << "the ids and paths are taken at once";
            EXPECT_EQ(handler.menu->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0, nullptr),
                      S_OK);
            EXPECT_EQ(Outline(sub), kFull);
        }
        DestroyWindow(window);
        UnregisterClassA(c.className, wc.hInstance);
        if (!foreground) GTEST_SKIP() << "this display does not let the test make its window the foreground one";
    }
}

// ---------------------------------------------------------------------------
// Where the items go, and which ids they take

class MenuPlacement : public ShellextMenu {};

TEST_F(MenuPlacement, DefaultOnlyAddsNothingOtherFlagsChangeNothing) {
    WriteList({Plain("One", "C:\\One")});
    const struct {
        const char* what;
        UINT flags;
        HRESULT hr;
        std::size_t items;
    } cases[] = {
        {"CMF_DEFAULTONLY", CMF_DEFAULTONLY, S_OK, 0},
        {"CMF_DEFAULTONLY with others", CMF_DEFAULTONLY | CMF_EXPLORE | CMF_CANRENAME, S_OK, 0},
        {"CMF_NORMAL", CMF_NORMAL, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9), 5},
        {"CMF_EXPLORE | CMF_EXTENDEDVERBS", CMF_EXPLORE | CMF_EXTENDEDVERBS, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9), 5},
        {"CMF_VERBSONLY | CMF_NOVERBS", CMF_VERBSONLY | CMF_NOVERBS, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu, kFirstId, kLastId, c.flags);
        EXPECT_EQ(menu.hr, c.hr);
        EXPECT_EQ(menu.items.size(), c.items);
    }
}

TEST_F(MenuPlacement, IndexMenuPlacesTheItemsAmongTheShells) {
    WriteList({Plain("One", "C:\\One")});
    const std::string direct = "- | [&0] One#108 | - | Add to Wayleap...#101 | Configure Wayleap...#102";
    const std::string parent = "Wayleap#100{[&0] One#108 | - | Add to Wayleap...#101 | Configure Wayleap...#102}";
    const struct {
        const char* what;
        bool submenu;
        UINT indexMenu;
        std::string outline;
    } cases[] = {
        {"direct, -1 appends", false, static_cast<UINT>(-1), "Open#1 | Copy#2 | " + direct},
        {"direct, 0 goes first", false, 0, direct + " | Open#1 | Copy#2"},
        {"direct, 1 goes between", false, 1, "Open#1 | " + direct + " | Copy#2"},
        {"direct, past the end appends", false, 7, "Open#1 | Copy#2 | " + direct},
        {"sub-menu, -1 appends", true, static_cast<UINT>(-1), "Open#1 | Copy#2 | " + parent},
        {"sub-menu, 1 goes between", true, 1, "Open#1 | " + parent + " | Copy#2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetMenuStyle(c.submenu);
        Handler h;
        BuiltMenu menu;
        menu.menu = CreatePopupMenu();
        AppendMenuA(menu.menu, MF_STRING, 1, "Open");
        AppendMenuA(menu.menu, MF_STRING, 2, "Copy");
        BuildMenu(h, scratch.path(), menu, kFirstId, kLastId, CMF_NORMAL, c.indexMenu);
        EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9));
        EXPECT_EQ(Outline(menu.items), c.outline);
    }
}

TEST_F(MenuPlacement, IdsStayWithinTheRangeGranted) {
    const std::string tree = MakeDir("tree");
    for (const char* name : {"a", "b", "c"}) MakeDir(std::string("tree\\") + name);
    const std::vector<FolderEntry> five = {Plain("E0", "C:\\E0"), Plain("E1", "C:\\E1"), Plain("E2", "C:\\E2"),
                                           Plain("E3", "C:\\E3"), Plain("E4", "C:\\E4")};
    const std::vector<FolderEntry> expanded = {Expanded("Tree", tree), Plain("After", "C:\\After")};
    const std::string fixed = "Add to Wayleap...#101 | Configure Wayleap...#102";
    const struct {
        const char* what;
        std::vector<FolderEntry> entries;
        bool submenu;
        UINT first;
        UINT last;
        std::string outline;
        int code;
    } cases[] = {
        {"ten ids, five entries", five, false, 100, 109, "- | [&0] E0#108 | [&1] E1#109 | - | " + fixed, 10},
        {"ten ids, five entries, sub-menu", five, true, 100, 109,
         "Wayleap#100{[&0] E0#108 | [&1] E1#109 | - | " + fixed + "}", 10},
        {"nine ids", five, false, 100, 108, "- | [&0] E0#108 | - | " + fixed, 9},
        {"eight ids: the fixed commands only", five, false, 100, 107, "- | " + fixed, 8},
        {"three ids", five, false, 100, 102, "- | " + fixed, 3},
        {"two ids", five, false, 100, 101, "- | Add to Wayleap...#101", 2},
        {"two ids, sub-menu", five, true, 100, 101, "Wayleap#100{Add to Wayleap...#101}", 2},
        {"a popup cut at the end of the range", expanded, false, 100, 110,
         "- | [&0] Tree#108{<This Folder>#109 | a#110} | - | " + fixed, 11},
        {"no room after the expanded entry's own id", expanded, false, 100, 108,
         "- | [&0] Tree#108{} | - | " + fixed, 9},
        {"the whole range free", expanded, false, 100, 0x7FFF,
         "- | [&0] Tree#108{<This Folder>#109 | a#110 | b#111 | c#112} | [&1] After#113 | - | " + fixed, 14},
        {"a range high up", five, false, 0x7FF0, 0x7FF9,
         "- | [&0] E0#32760 | [&1] E1#32761 | - | Add to Wayleap...#32753 | Configure Wayleap...#32754", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteList(c.entries);
        SetMenuStyle(c.submenu);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu, c.first, c.last);
        EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.code));
        EXPECT_EQ(Outline(menu.items), c.outline);
        for (const MenuItem& item : Commands(menu.items)) {
            EXPECT_GE(item.id, c.first) << item.text;
            EXPECT_LE(item.id, c.last) << item.text;
        }
        // A folder command left out has no help text either.
        if (c.code >= 8) {
            EXPECT_EQ(HelpTextA(h, static_cast<UINT>(c.code)),
                      "hr=" + std::to_string(static_cast<long>(E_INVALIDARG)));
        }
    }
}

TEST_F(MenuPlacement, AnEmptyRangeAddsNothing) {
    WriteList({Plain("One", "C:\\One")});
    const struct {
        const char* what;
        bool submenu;
        UINT first;
        UINT last;
    } cases[] = {
        {"last below first", false, 100, 99},
        {"last below first, sub-menu", true, 100, 99},
        {"last far below first", false, 0x7000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetMenuStyle(c.submenu);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu, c.first, c.last);
        EXPECT_TRUE(SUCCEEDED(menu.hr));
        EXPECT_EQ(HRESULT_CODE(menu.hr), 0);
        EXPECT_EQ(Outline(menu.items), "");
    }
}

TEST_F(MenuPlacement, ASingleIdAddsNoItem) {
    WriteList({Plain("One", "C:\\One")});
    for (bool submenu : {false, true}) {
        SCOPED_TRACE(submenu ? "sub-menu style" : "direct style");
        SetMenuStyle(submenu);
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu, 100, 100);
        EXPECT_TRUE(SUCCEEDED(menu.hr));
        EXPECT_LE(HRESULT_CODE(menu.hr), 1);
        EXPECT_EQ(Outline(menu.items), "") << "a parent with an empty popup would be no use";
    }
}

// ---------------------------------------------------------------------------
// What one handler object keeps, and what it leaves behind

class HandlerLifetime : public ShellextMenu {};

// Each menu used to load three bitmaps that nobody deleted, so Explorer ran
// out of GDI objects after a few thousand menus. The pictures now live as
// long as a handler may show them and are deleted once none is left, by the
// time COM asks whether the DLL may unload.
TEST_F(HandlerLifetime, PicturesLiveWhileAHandlerDoesAndAreDeletedWhenNoneIsLeft) {
    WriteList({Plain("One", "C:\\One")});
    std::set<HBITMAP> pictures;
    {
        Handler h;
        BuiltMenu menu;
        BuildMenu(h, scratch.path(), menu);
        pictures = PicturesOf(menu.items);
        ASSERT_EQ(pictures.size(), 3u);
        EXPECT_EQ(LivePictures(pictures), 3);
        EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
        EXPECT_EQ(LivePictures(pictures), 3) << "asking whether the DLL may unload takes nothing from a live menu";
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
    EXPECT_EQ(LivePictures(pictures), 0) << "the pictures are deleted once no handler needs them";
}

TEST_F(HandlerLifetime, TwoHundredMenusLeaveNoPicturesBehind) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\sub");
    WriteList({Plain("One", "C:\\One"), Expanded("Tree", tree)});
    std::set<HBITMAP> seen;
    for (int i = 0; i < 200; ++i) {
        {
            Handler h;
            BuiltMenu menu;
            BuildMenu(h, scratch.path(), menu);
            const std::set<HBITMAP> pictures = PicturesOf(menu.items);
            ASSERT_EQ(pictures.size(), 3u) << "menu " << i;
            ASSERT_EQ(LivePictures(pictures), 3) << "menu " << i;
            seen.insert(pictures.begin(), pictures.end());
        }
        // However many menus were made, no more than one menu's pictures are alive.
        ASSERT_LE(LivePictures(seen), 3) << "after menu " << i;
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
    EXPECT_EQ(LivePictures(seen), 0);
}

TEST_F(HandlerLifetime, ASecondInitializeLoadsNothing) {
    const std::string clicked = MakeDir("clicked");
    const std::string listed = MakeDir("listed");
    WriteList({Plain("First", ShellPathOf(listed))});
    SetMenuStyle(false);
    Handler h;
    InitializeBackground(h, clicked);

    // A new list, a new style and a click on the listed folder: a handler
    // reads all of it once, so none of it counts.
    WriteList({Plain("Second", "C:\\Second"), Plain("Third", "C:\\Third")});
    SetMenuStyle(true);
    InitializeBackground(h, listed);

    BuiltMenu menu;
    QueryMenu(h, menu);
    EXPECT_EQ(menu.hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 9));
    EXPECT_EQ(Outline(menu.items), "- | [&0] First#108 | - | Add to Wayleap...#101 | Configure Wayleap...#102");
    EXPECT_FALSE(Grayed(menu.items, kAddId)) << "the selection is still the first folder alone";
}

TEST_F(HandlerLifetime, ASecondQueryGivesTheSameMenu) {
    const std::string tree = MakeDir("tree");
    MakeDir("tree\\sub");
    WriteList({Expanded("Tree", tree), Plain("Plain", "C:\\Plain")});
    Handler h;
    BuiltMenu first;
    BuildMenu(h, scratch.path(), first);
    const std::string outline =
        "- | [&0] Tree#108{<This Folder>#109 | sub#110} | [&1] Plain#111 | - | "
        "Add to Wayleap...#101 | Configure Wayleap...#102";
    ASSERT_EQ(Outline(first.items), outline);
    BuiltMenu second;
    QueryMenu(h, second);
    EXPECT_EQ(second.hr, first.hr);
    ASSERT_EQ(Outline(second.items), outline);
    EXPECT_EQ(HelpTextA(h, 10), tree + "\\sub");
    EXPECT_EQ(HelpTextA(h, 11), "C:\\Plain");
    // Both popups are refilled from their own records.
    for (BuiltMenu* built : {&first, &second}) {
        HMENU sub = built->items[1].subMenu;
        EXPECT_EQ(h.menu->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0, nullptr), S_OK);
        const std::vector<MenuItem> items = ReadMenu(sub);
        ASSERT_EQ(Outline(items), "<This Folder>#109 | sub#110");
        EXPECT_EQ(items[1].data, reinterpret_cast<ULONG_PTR>(sub));
    }
}

}  // namespace

// SkipdoorCM.dll's menu as the shell gets it, read back from real menus: both
// styles, ids, prefixes, sub-folder popups read from a real directory with
// the shell's hidden-files setting, the add item's state from the real
// selection, the ids and place granted, the pictures, popups refilled when
// they open, and help texts and verbs through GetCommandString.
#include <tuple>

#include "shellext/com_util.h"
#include "tests/wine/shellext_fixture.h"
#include "win/code_page.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

using Menu = ShellextTest;

TEST_F(Menu, AsRenderedInBothStyles) {
    // Under Wine a name beginning with a dot is a hidden file.
    const std::string tree = MakeDirs("tree", {"b", "A", ".h", "c"});
    WriteList({{"Tree", tree, true, true}, Plain("Here", tree)});
    const std::string fixed = " | - | Add to Wayleap...#101~ | Configure Wayleap...#102";
    const std::string items = "[&0] Tree#108{<This Folder>#109 | A#110 | b#111 | c#112} | [&1] Here#113" + fixed;
    const struct {
        const char* what;
        bool submenu, hidden;
        UINT last, flags, index;
        int count;
        std::string outline;
    } cases[] = {
        {"direct, at index 1", false, false, 0x7FFF, CMF_NORMAL, 1, 14, "Open#1 | - | " + items + " | Copy#2"},
        {"sub-menu, appended, hidden folders shown", true, true, 0x7FFF, CMF_EXPLORE, UINT_MAX, 15,
         "Open#1 | Copy#2 | Wayleap#100{[&0] Tree#108{<This Folder>#109 | .h#110 | A#111 | b#112 | c#113} | "
         "[&1] Here#114" + fixed + "}"},
        {"ids up to 110 only", false, false, 110, CMF_NORMAL, 0, 11,
         "- | [&0] Tree#108{<This Folder>#109 | A#110}" + fixed + " | Open#1 | Copy#2"},
        {"default verb only", true, false, 0x7FFF, CMF_DEFAULTONLY, 0, 0, "Open#1 | Copy#2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetSetting("Software\\Wayleap", "submenu", c.submenu);
        SetSetting(kAdvanced, "Hidden", c.hidden ? 1 : 2);
        Handler handler;
        AppendMenuA(handler.hmenu, MF_STRING, 1, "Open");
        AppendMenuA(handler.hmenu, MF_STRING, 2, "Copy");
        EXPECT_EQ(handler.Init(tree), S_OK);
        int count = -1;
        handler.Query(100, c.last, c.flags, c.index, &count);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(Outline(handler.hmenu), c.outline);
    }
}

TEST_F(Menu, AddItemIsGrayedWhenTheLastSelectedFolderIsListedOrNoneIs) {
    const std::string pick = MakeDirs("pick", {"one", "two"});
    WriteBytes(pick + "\\a.txt", "x");
    WriteList({Plain("One", pick + "\\one")});
    const struct {
        std::vector<std::string> selected;
        bool grayed;
    } cases[] = {{{"one", "two"}, false}, {{"two", "one"}, true}, {{"two", "a.txt"}, false}, {{"a.txt"}, true}};
    for (const auto& c : cases) {
        Select(pick, c.selected);
        EXPECT_EQ(Outline(h->hmenu).find("Add to Wayleap...#101~") != std::string::npos, c.grayed)
            << c.selected.front() << " of " << c.selected.size();
    }
}

TEST_F(Menu, PopupsAreRefilledWhenTheyOpen) {
    WriteList({{"Tree", MakeDirs("tree", {"a", "b"}), true, false}});
    Select(scratch.path());
    HMENU popup = GetSubMenu(h->hmenu, 1);
    // Hosts may show a copy of a popup: its first item carries the popup as item data.
    HMENU copy = CreatePopupMenu();
    MENUITEMINFOA mii = {sizeof mii, MIIM_STRING | MIIM_ID | MIIM_DATA};
    mii.wID = 109;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(popup);
    mii.dwTypeData = const_cast<char*>("<This Folder>");
    InsertMenuItemA(copy, 0, TRUE, &mii);
    IContextMenu2* menu2 = nullptr;
    ASSERT_EQ(h->init->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu2)), S_OK);
    for (const auto& [what, target, viaMenu2] : {std::tuple<const char*, HMENU, bool>{"popup", popup, false},
                                                 {"popup, IContextMenu2", popup, true}, {"copy", copy, false}}) {
        for (int i = GetMenuItemCount(target) - 1; i >= 1; --i) DeleteMenu(target, i, MF_BYPOSITION);
        const WPARAM wParam = reinterpret_cast<WPARAM>(target);
        EXPECT_EQ(viaMenu2 ? menu2->HandleMenuMsg(WM_INITMENUPOPUP, wParam, 0)
                           : h->menu->HandleMenuMsg2(WM_INITMENUPOPUP, wParam, 0, nullptr),
                  S_OK);
        EXPECT_EQ(Outline(target), "<This Folder>#109 | a#110 | b#111") << what;
    }
    menu2->Release();
    DestroyMenu(copy);
}

// A picture's pixels, as 32-bit colours.
std::vector<DWORD> Pixels(HBITMAP picture) {
    BITMAP size = {};
    GetObjectA(picture, sizeof size, &size);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB}};
    std::vector<DWORD> pixels(static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, picture, 0, static_cast<UINT>(size.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Every command item shows the folder, add or configure picture as both check
// marks, exactly as large as the menu's check-mark area (at 13 pixels, the
// pictures as drawn); the three are made once for every menu and deleted once
// no handler is left.
TEST_F(Menu, ManyMenusLeaveNoPicturesBehind) {
    WriteList({{"Tree", MakeDirs("tree", {"a"}), true, false}});
    std::set<HBITMAP> seen;
    for (int i = 0; i < 100; ++i) {
        Select(scratch.path());
        Outline(h->hmenu, &seen);
    }
    const int side = GetSystemMetrics(SM_CXMENUCHECK);
    ExpectScaleOfThisRun();
    std::set<std::vector<DWORD>> shown, drawn;
    for (HBITMAP picture : seen) {
        BITMAP size = {};
        EXPECT_TRUE(picture && GetObjectA(picture, sizeof size, &size));
        EXPECT_EQ(size.bmWidth, side);
        EXPECT_EQ(size.bmHeight, GetSystemMetrics(SM_CYMENUCHECK));
        shown.insert(Pixels(picture));
    }
    for (int id : {211, 213, 214}) {
        HBITMAP picture = LoadBitmapA(dll.module, MAKEINTRESOURCEA(id));
        drawn.insert(Pixels(picture));
        DeleteObject(picture);
    }
    if (side == 13) EXPECT_TRUE(shown == drawn) << "the 13-pixel pictures as drawn";
    h.reset();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.count(nullptr), 0u);
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_OK);
    for (HBITMAP picture : seen) EXPECT_NE(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
}

// A folder slower to list than the menu waits gets "<This Folder>" alone; its
// listing goes on and keeps the DLL loaded, and the next menu shows what it
// found without listing the folder again (that would be late once more).
TEST_F(Menu, ASlowFolderNeverHoldsTheMenuAndServesTheNext) {
    if (g_slowFolder.empty()) GTEST_SKIP() << "needs a slow folder as the second argument";
    WriteList({{"Slow", g_slowFolder, true, true}, Plain("Here", "C:\\Here")});
    const std::string fixed = " | - | Add to Wayleap...#101 | Configure Wayleap...#102";
    Select(scratch.path());
    EXPECT_EQ(Outline(h->hmenu), "- | [&0] Slow#108{<This Folder>#109} | [&1] Here#110" + fixed);
    h.reset();
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_FALSE) << "the listing still runs";
    ASSERT_TRUE(PumpUntil([&] { return dll.Call("DllCanUnloadNow") == S_OK; }, 120000));
    Select(scratch.path());
    EXPECT_EQ(Outline(h->hmenu), "- | [&0] Slow#108{<This Folder>#109 | alpha#110 | beta#111} | [&1] Here#112" + fixed);
}

// What GetCommandString leaves in a buffer filled with 'x': the text (an ANSI
// reply widened byte by byte), "!" behind it when anything at or past cchMax
// was written, or the failure.
std::wstring Ask(IContextMenu* menu, UINT offset, UINT type, UINT cchMax = 260) {
    std::string buffer(600, 'x');
    const HRESULT hr = menu->GetCommandString(offset, type, nullptr, &buffer[0], cchMax);
    if (hr != S_OK) return L"hr " + std::to_wstring(hr);
    const std::size_t unit = (type & GCS_UNICODE) ? sizeof(wchar_t) : 1;
    std::wstring text;
    for (std::size_t i = 0; i < buffer.size(); i += unit) {
        const wchar_t c = unit == 1 ? static_cast<unsigned char>(buffer[i]) : *reinterpret_cast<wchar_t*>(&buffer[i]);
        if (!c) break;
        text += c;
    }
    return text + (buffer.find_first_not_of('x', cchMax * unit) != std::string::npos ? L"!" : L"");
}

TEST_F(Menu, HelpTextsAndVerbs) {
    WriteList({Plain("Data", "C:\\Data"), Plain("Cafe", "C:\\Caf\xE9")});
    h = std::make_unique<Handler>();
    h->Init(scratch.path());
    h->Query(100, 108);  // a first menu with room for "Data" alone; the replies follow the latest menu
    h->Query();
    const struct {
        UINT offset, type, cchMax;
        std::wstring text;
    } cases[] = {
        {1, GCS_VERBA, 260, L"WLAddFolder"},           {2, GCS_VERBW, 260, L"WLConfigure"},
        {9, GCS_VERBA, 260, L"WLList1"},               {9, GCS_VERBW, 260, L"WLList1"},
        {2, GCS_HELPTEXTA, 260, L"Configure Wayleap"}, {1, GCS_HELPTEXTW, 260, L"Add current selected folder(s)"},
        {9, GCS_HELPTEXTA, 260, L"C:\\Caf\u00E9"},     {9, GCS_HELPTEXTW, 260, L"C:\\Caf\u00E9"},
        {8, GCS_HELPTEXTA, 4, L"C:\\"},                {1, GCS_VERBW, 4, L"WLA"},
        {0, GCS_VERBA, 260, L"hr -2147024809"},        {10, GCS_HELPTEXTW, 260, L"hr -2147024809"},  // no command
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Ask(h->menu, c.offset, c.type, c.cchMax), c.text) << c.offset << " type " << c.type << " " << c.cchMax;
    }
}

// Sub-folders whose names code page 1252 holds only approximately (U+0101,
// "a" at best) or not at all (two Japanese characters) show their true names.
// Sorted, they follow the names it holds. A true path is the wide help text;
// the ANSI one is the best the code page gives.
TEST_F(Menu, SubfoldersOutsideTheCodePageShowTrueNames) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::string mixed = MakeDirs("mixed", {"plain"});
    const std::wstring wideMixed = AnsiToWide(mixed);
    for (const wchar_t* name : {L"\u65E5\u672C", L"\u0101b"}) {
        ASSERT_TRUE(CreateDirectoryW((wideMixed + L"\\" + name).c_str(), nullptr));
    }
    WriteList({{"Mixed", mixed, true, true}});
    Select(scratch.path());
    HMENU popup = GetSubMenu(h->hmenu, 1);
    std::vector<std::wstring> shown;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[300] = {};
        GetMenuStringW(popup, static_cast<UINT>(i), text, 300, MF_BYPOSITION);
        shown.push_back(text + std::wstring(L"#") + std::to_wstring(GetMenuItemID(popup, i)));
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"<This Folder>#109", L"plain#110", L"\u0101b#111", L"\u65E5\u672C#112"}));
    EXPECT_EQ(Ask(h->menu, 12, GCS_HELPTEXTA), AnsiToWide(mixed) + L"\\??");
    EXPECT_EQ(Ask(h->menu, 12, GCS_HELPTEXTW), wideMixed + L"\\\u65E5\u672C");
}

// Runs only in the ctest entry that starts Wine with code page 932: the
// reply is never cut between the two bytes of a character.
TEST_F(Menu, DoubleByteHelpTextIsCutBetweenCharacters) {
    if (!std::getenv("WAYLEAP_EXPECT_CP932")) GTEST_SKIP() << "runs with code page 932 only";
    ASSERT_EQ(GetACP(), 932u);
    WriteList({Plain("Double", "C:\\\x95\x5C\x8E\xA6")});  // 0x5C, a backslash, is the first one's trail byte
    Select(scratch.path());
    EXPECT_EQ(Ask(h->menu, 8, GCS_HELPTEXTA, 5), L"C:\\");
    EXPECT_EQ(Ask(h->menu, 8, GCS_HELPTEXTA, 7), L"C:\\\x95\x5C");
    EXPECT_EQ(Ask(h->menu, 8, GCS_HELPTEXTW), L"C:\\\u8868\u793A");
}

}  // namespace

// Loads the DLL at `path` (a copy of its own: the fixture's stays loaded),
// builds a menu for the background of `folder` as the shell does, releases
// everything and frees the DLL; the menu's item count.
int MenuFromCopy(const std::string& path, const std::string& folder) {
    HMODULE module = LoadLibraryA(path.c_str());
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(AnsiToWide(folder).c_str());
    shellext::ComPtr<IClassFactory> factory;
    shellext::ComPtr<IShellExtInit> init;
    shellext::ComPtr<IContextMenu> menu;
    HMENU hmenu = CreatePopupMenu();
    if (get && SUCCEEDED(get(kHandlerClsid, IID_IClassFactory, factory.put_void())) &&
        SUCCEEDED(factory->CreateInstance(nullptr, IID_IShellExtInit, init.put_void())) &&
        SUCCEEDED(init->Initialize(pidl, nullptr, nullptr)) &&
        SUCCEEDED(init->QueryInterface(IID_IContextMenu, menu.put_void()))) {
        menu->QueryContextMenu(hmenu, 0, 1, 0x7FFF, CMF_NORMAL);
    }
    const int items = GetMenuItemCount(hmenu);
    DestroyMenu(hmenu);
    menu.reset(), init.reset(), factory.reset();
    ILFree(pidl);
    FreeLibrary(module);
    return items;
}

// Explorer unloads the DLL when idle and loads it again, many times while it
// runs: a load, a menu and an unload leave no kernel handle or TLS index
// behind (a process has only 1,088 TLS indexes).
TEST_F(Menu, LoadingAndUnloadingLeavesNothingBehind) {
#ifndef _WIN64
    GTEST_SKIP() << "the i686 C++ runtime's own frame registration keeps a thread record of the loading thread per load";
#endif
    const std::string copy = MakeDirs("copy") + "\\" + dll.path.substr(dll.dir.size());
    ASSERT_TRUE(CopyFileA(dll.path.c_str(), copy.c_str(), FALSE));
    const auto cycle = [&] {
        EXPECT_GT(MenuFromCopy(copy, scratch.path()), 0);
        EXPECT_EQ(GetModuleHandleA(copy.c_str()), nullptr);
    };
    const auto taken = [] {  // the next kernel handle, and how many TLS indexes are free
        HANDLE next = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(next);
        std::vector<DWORD> tls;
        for (DWORD index; (index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) tls.push_back(index);
        for (DWORD index : tls) TlsFree(index);
        return std::make_pair(next, tls.size());
    };
    cycle();
    const auto before = taken();
    for (int i = 0; i < 20; ++i) cycle();
    EXPECT_EQ(taken(), before) << "(next kernel handle, free TLS indexes)";
}

// The shell frees the DLL while a sub-folder listing still runs: the DLL
// stays loaded until the listing thread has returned, then goes by itself,
// and loads and works again.
TEST_F(Menu, AnUnloadWaitsForTheListingThread) {
    if (g_slowFolder.empty()) GTEST_SKIP() << "needs a slow folder as the second argument";
    const std::string dir = MakeDirs("copy") + "\\", copy = dir + dll.path.substr(dll.dir.size());
    ASSERT_TRUE(CopyFileA(dll.path.c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(dir + "FolderList.dat", "Slow\n" + g_slowFolder + "|1|0\n"));
    EXPECT_EQ(MenuFromCopy(copy, scratch.path()), 5) << "separator, Slow, separator, Add, Configure";
    EXPECT_NE(GetModuleHandleA(copy.c_str()), nullptr) << "unloaded while its listing thread runs";
    EXPECT_TRUE(PumpUntil([&] { return !GetModuleHandleA(copy.c_str()); }, 40000)) << "never unloaded";
    EXPECT_EQ(MenuFromCopy(copy, scratch.path()), 5);
}

// SkipdoorCM.dll's commands carried out on real windows. Folder commands: an
// Explorer window (a CabinetWClass stand-in answering 0x0407 with a recording
// IShellBrowser) browses in place, real Open dialogs of both styles and an
// Office-style dialog's RichEdit box get the path typed in and their file name
// back from the restore timer, which keeps the DLL loaded until it has run,
// anything else has the shell open the folder. "Configure" starts Wayleap.exe.
// "Add to Wayleap..." shows the add-folder dialog: it adds the selected folder,
// never saves over a list it did not read whole, reports a failed save, and
// leaves the file byte for byte as it was when cancelled or refused.
#include "tests/wine/shellext_fixture.h"

#include <commdlg.h>

#include "win/code_page.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

IShellBrowser* g_browser = nullptr;  // what the test's top-level windows answer 0x0407 with

// Records where it is sent; borrowed by the handler, never kept.
struct Browser : IShellBrowser {
    std::string path;
    std::wstring widePath;
    UINT flags = 0;
    LONG refs = 1;
    Browser() { g_browser = this; }
    ~Browser() { g_browser = nullptr; }
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE pidl, UINT how) override {
        char buffer[MAX_PATH + 1] = {};
        SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl), buffer);
        path = buffer;
        wchar_t wide[MAX_PATH + 1] = {};
        SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl), wide);
        widePath = wide;
        flags = how;
        return S_OK;
    }
#define STUB(method) \
    STDMETHODIMP method override { return E_NOTIMPL; }
    STUB(GetWindow(HWND*)) STUB(ContextSensitiveHelp(BOOL)) STUB(InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS))
    STUB(SetMenuSB(HMENU, HOLEMENU, HWND)) STUB(RemoveMenusSB(HMENU)) STUB(SetStatusTextSB(LPCWSTR))
    STUB(EnableModelessSB(BOOL)) STUB(TranslateAcceleratorSB(MSG*, WORD)) STUB(GetViewStateStream(DWORD, IStream**))
    STUB(GetControlWindow(UINT, HWND*)) STUB(SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*))
    STUB(QueryActiveShellView(IShellView**)) STUB(OnViewWindowActive(IShellView*))
    STUB(SetToolbarItems(LPTBBUTTONSB, UINT, UINT))
#undef STUB
};

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 7) return reinterpret_cast<LRESULT>(g_browser);
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Window {
    HWND hwnd;
    explicit Window(const char* className) {
        WNDCLASSA wc = {0, HostProc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, className};
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, className, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 300, nullptr,
                               nullptr, wc.hInstance, nullptr);
    }
    ~Window() { DestroyWindow(hwnd); }
    HWND Child(const wchar_t* className, const wchar_t* text = L"") const {
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE, 10, 10, 300, 24, hwnd, nullptr, nullptr,
                               nullptr);
    }
};

class Invoke : public ShellextTest {
protected:
    void SetUp() override {
        ShellextTest::SetUp();
        WriteList({Plain("Target", target), Plain("Other", other), Plain("Gone", scratch / "Gone")});
        Select(scratch.path());
    }
    // A fresh handler (the only one: a second live one does nothing) with `names`
    // selected in `folder`, or its background clicked, and its menu built.
    template <typename Path>
    void Select(const Path& folder, const std::vector<Path>& names = {}) {
        h.reset();
        h = std::make_unique<Handler>();
        EXPECT_EQ(h->Init(folder, names), S_OK);
        h->Query();
    }
    // What the stand-in program at `program` logged, once it has.
    static std::string Runs(const std::string& program) {
        PumpUntil([&] { return !ReadBytes(program + ".log").empty(); });
        return ReadBytes(program + ".log");
    }

    const std::string target = MakeDirs("Target"), other = MakeDirs("Other");
    std::unique_ptr<Handler> h;
};

TEST_F(Invoke, ExplorerWindowBrowsesInPlace) {
    Browser browser;
    Window frame("CabinetWClass");
    EXPECT_EQ(h->Invoke(frame.Child(L"Static"), 9), S_OK);
    EXPECT_EQ(browser.path, other);
    EXPECT_EQ(browser.flags, static_cast<UINT>(SBSP_SAMEBROWSER));
    EXPECT_EQ(browser.refs, 1);

    // Nothing without a window, for a verb string or for a folder that is gone; that one says so.
    CMINVOKECOMMANDINFO verb = {sizeof verb, 0, frame.hwnd, "WLList0", nullptr, nullptr, SW_SHOWNORMAL};
    EXPECT_EQ(h->menu->InvokeCommand(&verb), E_INVALIDARG);
    EXPECT_EQ(h->Invoke(nullptr, 8), E_INVALIDARG);
    std::string message;
    TimerScript script({CloseError(message)});
    EXPECT_EQ(h->Invoke(frame.hwnd, 10), E_FAIL);
    EXPECT_TRUE(script.RunToEnd());
    EXPECT_EQ(message, "Sorry. I can not find the folder. Would you please check if the folder exists?");
}

UINT_PTR CALLBACK OldStyleHook(HWND, UINT, WPARAM, LPARAM) { return FALSE; }  // with a hook, the old style

// A real Open dialog captioned "Wayleap open test", showing `folder`; returns when it closes.
void ShowOpenDialog(const std::string& folder, bool explorerStyle) {
    char file[MAX_PATH + 1] = {};
    const DWORD flags = OFN_NOCHANGEDIR | (explorerStyle ? OFN_EXPLORER : OFN_ENABLEHOOK);
    OPENFILENAMEA ofn = {sizeof ofn, nullptr, nullptr, nullptr, nullptr, 0, 0, file, MAX_PATH, nullptr, 0,
                         folder.c_str(), "Wayleap open test", flags, 0, 0, nullptr, 0, OldStyleHook};
    GetOpenFileNameA(&ofn);
}

// While it lives, the shell opens folders ("Folder", verb "open") with a copy
// of the stand-in program at `path`, which logs its arguments.
struct FolderOpener {
    const char* kKey = "Folder\\shell\\open\\command";
    std::string path;
    char old[1024] = {};
    explicit FolderOpener(const std::string& at) : path(at) {
        EXPECT_TRUE(CopyFileA((OwnDir() + "shellext_stand_in.exe").c_str(), path.c_str(), FALSE));
        LONG size = sizeof old;
        RegQueryValueA(HKEY_CLASSES_ROOT, kKey, old, &size);
        RegSetValueA(HKEY_CLASSES_ROOT, kKey, REG_SZ, ("\"" + path + "\" \"%1\"").c_str(), 0);
    }
    ~FolderOpener() {
        if (*old) RegSetValueA(HKEY_CLASSES_ROOT, kKey, REG_SZ, old, 0);
        else RegDeleteKeyA(HKEY_CLASSES_ROOT, kKey);
    }
};

TEST_F(Invoke, OpenDialogGoesToTheFolderAndGetsItsFileNameBack) {
    const std::string start = MakeDirs("Start");
    for (const bool explorerStyle : {true, false}) {
        SCOPED_TRACE(explorerStyle ? "Explorer style" : "old style");
        Select(scratch.path());
        HWND dialog = nullptr, box = nullptr;
        std::string typed, shown;
        std::wstring restored;
        // The Explorer style's box is a Unicode window: a name the code page cannot hold comes back whole.
        const std::wstring keep = explorerStyle ? L"keep\u65E5.txt" : L"keep.txt";
        bool pending = false;
        TimerScript script({
            [&] {
                dialog = FindThreadDialog("Wayleap open test");
                box = GetDlgItem(dialog, explorerStyle ? 1148 : 1152);  // cmb13, edt1: the file-name boxes
                if (box) SetWindowTextW(box, keep.c_str());
                return box != nullptr;
            },
            [&] {
                EXPECT_EQ(h->Invoke(dialog, 8), S_OK);
                typed = TextOf(box);
                h.reset();
                pending = dll.Call("DllCanUnloadNow") == S_FALSE;
                return true;
            },
            [&] { return dll.Call("DllCanUnloadNow") == S_OK; },  // the restore timer has run
            [&] {
                char folder[MAX_PATH + 1] = {};
                if (explorerStyle) SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
                else GetDlgItemTextA(dialog, 1088, folder, MAX_PATH);  // stc1: the old style's folder
                shown = folder;
                wchar_t text[MAX_PATH + 1] = {};
                GetWindowTextW(box, text, MAX_PATH);
                restored = text;
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            },
        });
        ShowOpenDialog(start, explorerStyle);
        EXPECT_TRUE(script.RunToEnd());
        EXPECT_EQ(typed, target) << "the path typed into the file-name box";
        EXPECT_TRUE(pending) << "the restore timer keeps the DLL loaded until it has run";
        EXPECT_EQ(lstrcmpiA(shown.c_str(), target.c_str()), 0) << shown;
        EXPECT_EQ(restored, keep);
    }
}

TEST_F(Invoke, OfficeStyleDialogGetsThePathInItsRichEditBox) {
    LoadLibraryA("riched20.dll");
    Window dialog("bosa_sdm_Test");
    HWND box = dialog.Child(L"RichEdit20W", L"orig.doc");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(h->Invoke(dialog.hwnd, 8), S_OK);
    EXPECT_EQ(TextOf(box), target);
    h.reset();
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_FALSE) << "the restore timer keeps the DLL loaded until it has run";
    EXPECT_TRUE(PumpUntil([&] { return dll.Call("DllCanUnloadNow") == S_OK; }));
    EXPECT_EQ(TextOf(box), "orig.doc");
}

// The shell opens folders ("Folder", verb "open") with a copy of the stand-in
// program; Wayleap.exe beside the DLL is another copy. Each logs its arguments.
TEST_F(Invoke, OtherWindowsOpenTheFolderAndConfigureStartsWayleap) {
    const FolderOpener opener(scratch / "opener.exe");
    const std::string wayleap = dll.dir + "Wayleap.exe";
    ASSERT_TRUE(CopyFileA((OwnDir() + "shellext_stand_in.exe").c_str(), wayleap.c_str(), FALSE));
    Window plain("WayleapTestPlain");
    EXPECT_EQ(h->Invoke(plain.hwnd, 8), S_OK);
    EXPECT_EQ(h->Invoke(plain.hwnd, 2), S_OK);
    EXPECT_EQ(Runs(opener.path), "2\t" + target + "\n");
    EXPECT_EQ(Runs(wayleap), "1\n") << "started without arguments";
}

// A sub-folder whose name code page 1252 cannot hold is reached by its true
// path: an Explorer window browses there, the Explorer-style Open dialog's
// (Unicode) box gets it typed in, the shell opens it in a new window; the
// old-style dialog's ANSI box gets nothing, and the user a message.
TEST_F(Invoke, FoldersOutsideTheCodePageAreReachedByTheirTrueNames) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::string parent = MakeDirs("parent");
    const std::wstring truePath = AnsiToWide(parent) + L"\\\u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryW(truePath.c_str(), nullptr));
    WriteList({{"Parent", parent, true, false}});  // 8 the entry, 9 "<This Folder>", 10 the sub-folder
    Select(scratch.path());

    {
        Browser browser;
        Window frame("CabinetWClass");
        EXPECT_EQ(h->Invoke(frame.hwnd, 10), S_OK);
        EXPECT_EQ(browser.widePath, truePath);
    }

    for (const bool explorerStyle : {true, false}) {
        SCOPED_TRACE(explorerStyle ? "Explorer style" : "old style");
        Select(scratch.path());
        HWND dialog = nullptr, box = nullptr;
        std::wstring typed;
        std::string message;
        HRESULT invoked = S_FALSE;
        TimerScript script({
            [&] {
                dialog = FindThreadDialog("Wayleap open test");
                box = GetDlgItem(dialog, explorerStyle ? 1148 : 1152);
                if (box) SetWindowTextA(box, "keep.txt");
                return box != nullptr;
            },
            [&] {
                TimerScript answer({CloseError(message)});  // the old style's message box, if any
                invoked = h->Invoke(dialog, 10);
                if (!explorerStyle) EXPECT_TRUE(answer.RunToEnd());
                wchar_t text[MAX_PATH + 1] = {};
                SendMessageW(box, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
                typed = text;
                return true;
            },
            [&] { return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE; },
        });
        ShowOpenDialog(parent, explorerStyle);
        EXPECT_TRUE(script.RunToEnd());
        EXPECT_EQ(invoked, explorerStyle ? S_OK : E_FAIL);
        EXPECT_EQ(typed, explorerStyle ? truePath : L"keep.txt");
        EXPECT_EQ(message.empty(), explorerStyle) << message;
    }

    const FolderOpener opener(scratch / "opener.exe");
    Window plain("WayleapTestPlain");
    Select(scratch.path());
    EXPECT_EQ(h->Invoke(plain.hwnd, 10), S_OK);
    EXPECT_EQ(Runs(opener.path), "2\t" + parent + "\\\xE6\x97\xA5\xE6\x9C\xAC\n");  // UTF-8
}

// ---------------------------------------------------------------------------
// The add-folder dialog

const char kExisting[] = "Existing\nC:\\Existing|1|0\n";

class AddDialog : public Invoke {
protected:
    // Runs "Add to Wayleap..." with these steps driving the dialog.
    void Run(std::vector<TimerScript::Step> steps) {
        TimerScript script(std::move(steps));
        EXPECT_EQ(h->Invoke(owner.hwnd, 1), S_OK);
        EXPECT_TRUE(script.RunToEnd());
    }
    TimerScript::Step Dialog() {
        return [this] { return (dialog = FindThreadDialog("Wayleap - Add new folder")) != nullptr; };
    }
    TimerScript::Step Press(int id) {
        return [this, id] { return PostMessageA(dialog, WM_COMMAND, id, 0), true; };
    }

    Window owner{"WayleapTestPlain"};
    HWND dialog = nullptr;
    std::string error;
};

TEST_F(AddDialog, AddsTheLastSelectedFolder) {
    WriteBytes(dataFile, kExisting);
    MakeDirs("Target", {"A", "B"});
    Select(target, {"A", "B"});
    Run({Dialog(),
         [this] {
             SetDlgItemTextA(dialog, 201, " Mine ");
             EXPECT_EQ(SendDlgItemMessageA(dialog, 201, EM_GETLIMITTEXT, 0, 0), MAX_PATH) << "the name's limit";
             return SendDlgItemMessageA(dialog, 204, BM_CLICK, 0, 0), true;  // "Expand sub-folders"
         },
         Press(IDOK), [this] { return !IsWindow(dialog); }});
    EXPECT_EQ(ReadBytes(dataFile), std::string(kExisting) + "Mine\n" + target + "\\B|1|0\n");
}

TEST_F(AddDialog, ListNotReadWholeIsNeverSavedOver) {
    const std::string partial = std::string(kExisting) + std::string(300, 'n') + "\nC:\\Lost|0|0\n";
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "unreadable: held open while the menu was built" : "partial: a line too long");
        WriteBytes(dataFile, held ? kExisting : partial);
        {
            unique_file holder(held ? CreateFileA(dataFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                  OPEN_EXISTING, 0, nullptr)
                                    : INVALID_HANDLE_VALUE);
            Select(target);
        }
        Run({CloseError(error)});
        EXPECT_EQ(error, "Wayleap could not read your folder list (FolderList.dat) completely, so nothing was "
                         "changed. Close programs that may be using it and try again.");
        EXPECT_EQ(ReadBytes(dataFile), held ? kExisting : partial);
    }
}

TEST_F(AddDialog, FailedSaveIsReportedAndCancelChangesNothing) {
    WriteBytes(dataFile, kExisting);
    Select(target);
    unique_file reader;  // another program reads the list while Add is pressed
    Run({Dialog(),
         [&] {
             reader.reset(CreateFileA(dataFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
             return true;
         },
         Press(IDOK), CloseError(error),
         [&] {
             reader.reset();
             return IsWindowVisible(dialog) != FALSE;  // still open for another try
         },
         Press(IDCANCEL), [this] { return !IsWindow(dialog); }});
    EXPECT_EQ(error, "Wayleap could not save your folder list (FolderList.dat). The folder was not added and the "
                     "list is unchanged. Close programs that may be using it and try again.");
    EXPECT_EQ(ReadBytes(dataFile), kExisting);
}

// A clicked folder whose path the code page holds only as "?" or a
// look-alike, selected or its background clicked, is refused at once; so is
// a typed name of that kind, and the dialog stays open for another. The
// "Add" item stays available (the look-alike is never "already listed"), and
// the file is untouched.
TEST_F(AddDialog, WhatTheCodePageCannotHoldIsRefusedAndTold) {
    const std::string folderRefused =
        "Wayleap can not add this folder: its path has characters that the Windows language for non-Unicode "
        "programs can not hold, and your folder list (FolderList.dat) is kept in that language. The list is "
        "unchanged.";
    const std::string nameRefused =
        "The name has characters that the Windows language for non-Unicode programs can not hold, and your folder "
        "list (FolderList.dat) is kept in that language. Please type another name.";
    const struct {
        const wchar_t* folder;
        bool selected;       // selected in its parent, or its background clicked
        const wchar_t* name;  // typed; null: the folder itself is refused
        std::string told;
    } cases[] = {
        {L"\x65E5\x672C", true, nullptr, folderRefused},
        {L"Caf\x0101", false, nullptr, folderRefused},  // code page 1252 has only the look-alike "Cafa"
        {L"Plain", true, L"\x65E5\x672C", nameRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.folder)));
        const WideDir folder(scratch.path(), c.folder);
        const std::string list = std::string(kExisting) + "Look-alike\n" + scratch.path() + "Cafa|0|0\n";
        WriteBytes(dataFile, list);
        if (c.selected) {
            Select(folder.parent.substr(0, folder.parent.size() - 1), {std::wstring(c.folder)});
        } else {
            Select(folder.path);
        }
        EXPECT_FALSE(GetMenuState(h->hmenu, 101, MF_BYCOMMAND) & MF_GRAYED) << "Add to Wayleap...";
        error.clear();
        if (c.name) {
            Run({Dialog(), [&] { return SetDlgItemTextW(dialog, 201, c.name), true; }, Press(IDOK), CloseError(error),
                 [&] { return IsWindowVisible(dialog) != FALSE; }, Press(IDCANCEL), [this] { return !IsWindow(dialog); }});
        } else {
            Run({CloseError(error)});
        }
        EXPECT_EQ(error, c.told);
        EXPECT_EQ(ReadBytes(dataFile), list);
    }
}

}  // namespace

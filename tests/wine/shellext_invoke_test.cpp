// SkipdoorCM.dll's InvokeCommand with real windows: what it refuses, the
// folder-not-found message, Explorer windows that browse in place, Open
// dialogs of both styles that get the folder typed in and their file name
// back, Office-style dialogs, other windows for which the shell opens the
// folder, starting Wayleap.exe, and the module lock that keeps the DLL loaded
// until the restore timer has run.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/wine/screenshot.h"
#include "tests/wine/shellext_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

constexpr UINT kGetShellBrowser = WM_USER + 7;
constexpr int kOldStyleFileName = 1152;  // edt1
constexpr int kExplorerFileName = 1148;  // cmb13
constexpr int kOldStyleDirectory = 1088;  // stc1: the old-style dialog's current folder
const char kErrorCaption[] = "Wayleap - Error";
const char kNotFoundText[] = "Sorry. I can not find the folder. Would you please check if the folder exists?";

// ---------------------------------------------------------------------------
// Host windows: the test's own windows with the class names of Explorer,
// Office and anything else. Each answers 0x0407 with what the test says and
// logs the keys it is sent.

struct Host {
    LRESULT reply = 0;  // the answer to 0x0407
    int browserQueries = 0;
    std::vector<std::string>* log = nullptr;
};

std::string KeyEvent(const char* who, UINT message, WPARAM key, LPARAM lParam) {
    return std::string(who) + (message == WM_KEYDOWN ? " down " : " up ") + std::to_string(key) + " " +
           std::to_string(static_cast<long long>(lParam));
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    if (auto* host = reinterpret_cast<Host*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
        if (message == kGetShellBrowser) {
            ++host->browserQueries;
            return host->reply;
        }
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && host->log) {
            host->log->push_back(KeyEvent("frame", message, wParam, lParam));
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char kPlainClass[] = "WayleapTestPlain";
const char kOfficeClass[] = "bosa_sdm_Test";

void RegisterHostClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* name : {"CabinetWClass", "ExploreWClass", kOfficeClass, kPlainClass}) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        EXPECT_NE(RegisterClassA(&wc), 0) << name;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
}

struct WindowDestroyer {
    void operator()(HWND window) const {
        if (IsWindow(window)) DestroyWindow(window);
    }
};
using unique_window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

unique_window MakeTopLevel(const char* className, Host* host, const char* title = "Wayleap test host") {
    RegisterHostClasses();
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 360, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), host);
    EXPECT_NE(window, nullptr) << className;
    return unique_window(window);
}

HWND MakeChild(const char* className, HWND parent, int id, DWORD style = WS_VISIBLE, const char* text = "",
               Host* host = nullptr) {
    HWND window = CreateWindowExA(0, className, text, WS_CHILD | style, 10, 10, 300, 24, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                  host);
    EXPECT_NE(window, nullptr) << className;
    return window;
}

// ---------------------------------------------------------------------------
// An IShellBrowser that records what it is asked to browse to.

class RecordingBrowser final : public IShellBrowser {
public:
    int calls = 0;
    std::string path;  // the path of the id list it was given
    UINT flags = 0;
    LONG refs = 1;

    LRESULT AsReply() { return reinterpret_cast<LRESULT>(static_cast<IShellBrowser*>(this)); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IShellBrowser)) {
            *ppv = static_cast<IShellBrowser*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override {
        if (window) *window = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IShellBrowser
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE pidl, UINT wFlags) override {
        ++calls;
        flags = wFlags;
        char buffer[MAX_PATH + 1] = {};
        path = SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl), buffer) ? buffer : "<no path>";
        return S_OK;
    }
    STDMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD, IStream** stream) override {
        if (stream) *stream = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetControlWindow(UINT, HWND* window) override {
        if (window) *window = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryActiveShellView(IShellView** view) override {
        if (view) *view = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }
};

// ---------------------------------------------------------------------------
// The stand-in program (shellext_stand_in.exe, built beside this test) and
// what it logged.

std::string StandIn() { return OwnDir() + "shellext_stand_in.exe"; }

// The complete lines the stand-in at `program` has logged.
std::vector<std::string> LoggedRuns(const std::string& program) {
    const std::string text = ReadBytes(program + ".log");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::vector<std::string> WaitForRuns(const std::string& program, std::size_t count, DWORD timeoutMs = 10000) {
    PumpUntil([&] { return LoggedRuns(program).size() >= count; }, timeoutMs);
    return LoggedRuns(program);
}

// While it lives, the shell opens folders ("Folder" class, verb "open") with
// a copy of the stand-in, which logs the folder it was given.
class FolderOpener {
public:
    explicit FolderOpener(const std::string& dir) : program_(dir + "opener.exe") {
        EXPECT_TRUE(CopyFileA(StandIn().c_str(), program_.c_str(), FALSE)) << StandIn();
        unique_hkey key;
        existed_ = RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
        if (existed_) {
            char buffer[1024] = {};
            DWORD size = sizeof buffer - 1;
            hadValue_ = RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                         &size) == ERROR_SUCCESS;
            old_ = buffer;
        }
        SetCommand("\"" + program_ + "\" \"%1\"");
    }
    ~FolderOpener() {
        if (!existed_) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, kKey);
        } else if (hadValue_) {
            SetCommand(old_);
        } else {
            unique_hkey key;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
                RegDeleteValueA(key.get(), nullptr);
            }
        }
    }
    FolderOpener(const FolderOpener&) = delete;
    FolderOpener& operator=(const FolderOpener&) = delete;

    const std::string& program() const { return program_; }
    void Forget() const { DeleteFileA((program_ + ".log").c_str()); }

private:
    static constexpr const char* kKey = "Folder\\shell\\open\\command";
    void SetCommand(const std::string& command) {
        unique_hkey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }

    std::string program_;
    bool existed_ = false;
    bool hadValue_ = false;
    std::string old_;
};

// ---------------------------------------------------------------------------
// The message box a failed folder command shows, as a script sees it.

struct ErrorBox {
    bool seen = false;
    std::string text;
    HWND owner = nullptr;
    bool handIcon = false;
    bool onlyOk = false;
};

TimerScript::Step DismissErrorBox(ErrorBox& box) {
    return [&box] {
        HWND window = FindThreadDialog(kErrorCaption);
        if (!window) return false;
        box.seen = true;
        box.text = MessageBoxText(window);
        box.owner = GetWindow(window, GW_OWNER);
        const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(window, 0x440, STM_GETICON, 0, 0));
        box.handIcon = icon && icon == LoadIconA(nullptr, IDI_HAND);
        box.onlyOk = IsWindowVisible(GetDlgItem(window, IDOK)) && !IsWindowVisible(GetDlgItem(window, IDCANCEL)) &&
                     !IsWindowVisible(GetDlgItem(window, IDYES));
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return true;
    };
}

// ---------------------------------------------------------------------------

class Invoke : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterHostClasses();
        SetMenuStyle(true);
        for (const std::string& dir : {target, other, target + "\\Sub1", target + "\\Sub2"}) {
            CreateDirectoryA(dir.c_str(), nullptr);
        }
    }

    // Writes `list` beside the DLL, then makes a handler and builds its menu
    // for a click on the scratch folder's background.
    std::unique_ptr<Handler> MenuFor(const FolderList& list, BuiltMenu& menu) {
        WriteFolderList(dll, list);
        auto h = std::make_unique<Handler>();
        BuildMenu(*h, scratch.path(), menu);
        EXPECT_TRUE(SUCCEEDED(menu.hr)) << menu.hr;
        return h;
    }
    // Target and Other, at offsets 8 and 9.
    FolderList TwoFolders() const {
        FolderList list;
        list.Append({"Target", target, false, false});
        list.Append({"Other", other, false, false});
        return list;
    }
    std::unique_ptr<Handler> TwoFolderMenu() {
        BuiltMenu menu;
        return MenuFor(TwoFolders(), menu);
    }

    void PutWayleapStandIn() {
        ASSERT_TRUE(CopyFileA(StandIn().c_str(), wayleap().c_str(), FALSE)) << StandIn();
    }
    std::string wayleap() const { return dll.dir() + "Wayleap.exe"; }

    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};
    const std::string target = scratch / "Target";
    const std::string other = scratch / "Other";
};

// ---------------------------------------------------------------------------
// Arguments and the activity rule

TEST_F(Invoke, RefusesAnythingButACommandOfItsOwnMenu) {
    PutWayleapStandIn();
    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);
    std::unique_ptr<Handler> h = TwoFolderMenu();
    ASSERT_TRUE(*h);

    const struct {
        const char* what;
        bool window;
        const char* verb;  // or null: the offset
        UINT offset;
    } cases[] = {
        {"no window, add", false, nullptr, 1},
        {"no window, configure", false, nullptr, 2},
        {"no window, folder", false, nullptr, 8},
        {"no window, verb", false, "WLList0", 0},
        {"the parent item", true, nullptr, 0},
        {"unused 3", true, nullptr, 3},
        {"unused 4", true, nullptr, 4},
        {"unused 5", true, nullptr, 5},
        {"unused 6", true, nullptr, 6},
        {"unused 7", true, nullptr, 7},
        {"just past the last folder", true, nullptr, 10},
        {"far past the last folder", true, nullptr, 0xFFFF},
        {"the first folder's verb", true, "WLList0", 0},
        {"the add verb", true, "WLAddFolder", 0},
        {"the configure verb", true, "WLConfigure", 0},
        {"a shell verb", true, "open", 0},
    };
    DialogSentinel sentinel;
    for (const auto& c : cases) {
        HWND window = c.window ? frame.get() : nullptr;
        const HRESULT hr = c.verb ? InvokeVerb(h->menu, window, c.verb) : InvokeOffset(h->menu, window, c.offset);
        EXPECT_EQ(hr, E_INVALIDARG) << c.what;
    }
    PumpFor(300);
    EXPECT_TRUE(sentinel.seen.empty()) << sentinel.seen.front();
    EXPECT_EQ(host.browserQueries, 0);
    EXPECT_EQ(browser.calls, 0);
    EXPECT_FALSE(FileExists(wayleap() + ".log")) << "Wayleap.exe was started";
}

// In 64-bit code a pointer's bits 16 to 31 may all be zero while higher bits
// are not: such a verb string is still a string, not offset 8.
TEST_F(Invoke, VerbStringAboveFourGigabytesIsNoOffset) {
    if (sizeof(void*) < 8) GTEST_SKIP() << "32-bit: every string lies above 64 KiB";
    const auto base = static_cast<ULONG_PTR>(0x100000000ull);
    char* page = nullptr;
    for (ULONG_PTR high = 1; high <= 16 && !page; ++high) {
        page = static_cast<char*>(VirtualAlloc(reinterpret_cast<void*>(base * high), 4096,
                                               MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    }
    if (!page) GTEST_SKIP() << "no free page at a multiple of 4 GiB";
    char* verb = page + 8;
    lstrcpyA(verb, "WLList0");

    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);
    std::unique_ptr<Handler> h = TwoFolderMenu();
    EXPECT_EQ(InvokeVerb(h->menu, frame.get(), verb), E_INVALIDARG);
    EXPECT_EQ(browser.calls, 0);
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST_F(Invoke, ASecondLiveHandlerAcceptsEverythingAndDoesNothing) {
    PutWayleapStandIn();
    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);
    std::unique_ptr<Handler> first = TwoFolderMenu();
    Handler second;
    BuiltMenu secondMenu;
    BuildMenu(second, scratch.path(), secondMenu);
    ASSERT_TRUE(second);

    DialogSentinel sentinel;
    for (UINT offset = 0; offset <= 12; ++offset) {
        EXPECT_EQ(InvokeOffset(second.menu, frame.get(), offset), S_OK) << offset;
    }
    EXPECT_EQ(InvokeOffset(second.menu, nullptr, 8), S_OK);
    EXPECT_EQ(InvokeVerb(second.menu, frame.get(), "WLList0"), S_OK);
    PumpFor(300);
    EXPECT_TRUE(sentinel.seen.empty()) << sentinel.seen.front();
    EXPECT_EQ(host.browserQueries, 0);
    EXPECT_EQ(browser.calls, 0);
    EXPECT_FALSE(FileExists(wayleap() + ".log")) << "Wayleap.exe was started";
}

// ---------------------------------------------------------------------------
// Folder not found

TEST_F(Invoke, FolderThatIsGoneOrAFileShowsTheErrorAndGoesNowhere) {
    const std::string gone = scratch / "Gone";
    const std::string file = scratch / "file.txt";
    const std::string neverThere = scratch / "Never\\There";
    ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(file, "x"));
    FolderList list;
    list.Append({"Gone", gone, false, false});
    list.Append({"File", file, false, false});
    list.Append({"Never", neverThere, false, false});
    BuiltMenu menu;
    std::unique_ptr<Handler> h = MenuFor(list, menu);
    ASSERT_TRUE(*h);
    ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));  // deleted after the menu was shown

    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);
    for (const auto& [what, offset] : {std::pair<const char*, UINT>{"a deleted folder", 8},
                                       {"a file", 9},
                                       {"a folder that never existed", 10}}) {
        SCOPED_TRACE(what);
        ErrorBox box;
        TimerScript script({DismissErrorBox(box)}, 10000);
        EXPECT_EQ(InvokeOffset(h->menu, frame.get(), offset), E_FAIL);
        EXPECT_TRUE(script.RunToEnd());
        EXPECT_TRUE(box.seen);
        EXPECT_EQ(box.text, kNotFoundText);
        EXPECT_EQ(box.owner, frame.get()) << "owned by the invoking window";
        EXPECT_TRUE(box.handIcon) << "MB_ICONHAND";
        EXPECT_TRUE(box.onlyOk) << "the OK button only";
    }
    EXPECT_EQ(host.browserQueries, 0);
    EXPECT_EQ(browser.calls, 0);
}

TEST_F(Invoke, FolderNotFoundInAFileDialogLeavesItsBoxAndSetsNoTimer) {
    FolderList list;
    list.Append({"Gone", scratch / "Gone", false, false});
    BuiltMenu menu;
    std::unique_ptr<Handler> h = MenuFor(list, menu);
    ASSERT_TRUE(*h);

    unique_window dialog(CreateWindowExA(0, "#32770", "Wayleap test dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50,
                                         50, 400, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(dialog);
    HWND box = MakeChild("Edit", dialog.get(), kOldStyleFileName, WS_VISIBLE | WS_BORDER, "keep.txt");

    ErrorBox error;
    TimerScript script({DismissErrorBox(error)}, 10000);
    EXPECT_EQ(InvokeOffset(h->menu, box, 8), E_FAIL);
    EXPECT_TRUE(script.RunToEnd());
    EXPECT_EQ(error.text, kNotFoundText);
    EXPECT_EQ(error.owner, dialog.get()) << "owned by the dialog of the invoking box";
    h.reset();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "no restore timer pending";
    PumpFor(100);
    EXPECT_EQ(TextOf(box), "keep.txt");
}

// ---------------------------------------------------------------------------
// Explorer windows

TEST_F(Invoke, ExplorerWindowBrowsesToTheFolderInPlace) {
    const struct {
        const char* className;
        int depth;  // how far below the frame the menu was opened
    } cases[] = {
        {"CabinetWClass", 0},
        {"ExploreWClass", 0},
        {"CabinetWClass", 1},
        {"ExploreWClass", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.className) + " depth " + std::to_string(c.depth));
        std::unique_ptr<Handler> h = TwoFolderMenu();
        Host host;
        RecordingBrowser browser;
        host.reply = browser.AsReply();
        unique_window frame = MakeTopLevel(c.className, &host);
        HWND invoker = frame.get();
        for (int i = 0; i < c.depth; ++i) invoker = MakeChild("Static", invoker, 100 + i);

        EXPECT_EQ(InvokeOffset(h->menu, invoker, 9), S_OK);
        EXPECT_EQ(host.browserQueries, 1);
        EXPECT_EQ(browser.calls, 1);
        EXPECT_EQ(browser.path, other);
        EXPECT_EQ(browser.flags, static_cast<UINT>(SBSP_SAMEBROWSER));
        EXPECT_EQ(browser.refs, 1) << "the browser is borrowed, not kept or released";
    }
}

TEST_F(Invoke, ExpandedEntryItemsBrowseToTheFolderAndItsSubFolders) {
    FolderList list;
    list.Append({"Target", target, true, true});
    BuiltMenu menu;
    std::unique_ptr<Handler> h = MenuFor(list, menu);
    ASSERT_TRUE(*h);
    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);

    for (const auto& [item, path] : {std::pair<std::string, std::string>{"<This Folder>", target},
                                     {"Sub1", target + "\\Sub1"},
                                     {"Sub2", target + "\\Sub2"}}) {
        const UINT offset = OffsetOfItem(menu.items, item);
        ASSERT_NE(offset, UINT_MAX) << item;
        browser.calls = 0;
        EXPECT_EQ(InvokeOffset(h->menu, frame.get(), offset), S_OK) << item;
        EXPECT_EQ(browser.calls, 1) << item;
        EXPECT_EQ(browser.path, path) << item;
    }
}

TEST_F(Invoke, ExplorerWindowWithoutAUsableBrowserIsLeftAlone) {
    FolderOpener opener(scratch.path());
    const struct {
        const char* what;
        int reply;  // 0: nothing; 1: its own child window; 2: itself
    } cases[] = {{"no browser", 0}, {"its child window", 1}, {"its own window", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Handler> h = TwoFolderMenu();
        Host host;
        unique_window frame = MakeTopLevel("CabinetWClass", &host);
        HWND child = MakeChild("Static", frame.get(), 100);
        if (c.reply == 1) host.reply = reinterpret_cast<LRESULT>(child);
        if (c.reply == 2) host.reply = reinterpret_cast<LRESULT>(frame.get());
        // A window handle taken for an IShellBrowser would crash here.
        EXPECT_EQ(InvokeOffset(h->menu, child, 8), S_OK);
        EXPECT_EQ(host.browserQueries, 1);
    }
    PumpFor(300);
    EXPECT_TRUE(LoggedRuns(opener.program()).empty()) << "an Explorer window is never handed to the shell";
}

// Keys that reach a dialog, logged by a subclass of it.
std::vector<std::string>* g_dialogKeys = nullptr;
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK KeyLoggingDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && g_dialogKeys) {
        g_dialogKeys->push_back(KeyEvent("dialog", message, wParam, lParam));
    }
    return CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

// The inner "#32770" is the nearest known window: its file-name box gets the
// path, the frame's browser is not asked.
TEST_F(Invoke, DialogInsideAnExplorerFrameIsTreatedAsAFileDialog) {
    FolderList list;
    list.Append({"Target", target, true, false});
    BuiltMenu menu;
    std::unique_ptr<Handler> h = MenuFor(list, menu);
    ASSERT_TRUE(*h);
    const UINT thisFolder = OffsetOfItem(menu.items, "<This Folder>");
    ASSERT_NE(thisFolder, UINT_MAX);

    Host host;
    RecordingBrowser browser;
    host.reply = browser.AsReply();
    unique_window frame = MakeTopLevel("CabinetWClass", &host);
    HWND dialog = CreateWindowExA(WS_EX_CONTROLPARENT, "#32770", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200,
                                  frame.get(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND box = MakeChild("Edit", dialog, kOldStyleFileName, WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, "keep.txt");
    HWND list1 = MakeChild("ListBox", dialog, 1120);
    std::vector<std::string> keys;
    g_dialogKeys = &keys;
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeyLoggingDialogProc)));

    EXPECT_EQ(InvokeOffset(h->menu, list1, thisFolder), S_OK);
    EXPECT_EQ(TextOf(box), target + "\\") << "the <This Folder> path as it is, with its backslash";
    EXPECT_EQ(GetFocus(), box);
    h.reset();
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "the restore timer keeps the DLL";
    EXPECT_TRUE(PumpUntil([&] { return dll.CanUnloadNow() == S_OK; }, 5000)) << "the restore timer never ran";
    EXPECT_EQ(TextOf(box), "keep.txt");
    EXPECT_EQ(GetFocus(), box);
    DWORD from = 1, to = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 8u) << "the whole name selected";
    EXPECT_EQ(keys, std::vector<std::string>{"dialog down 13 1"}) << "Enter posted to the dialog, not to the box";
    g_dialogKeys = nullptr;
    EXPECT_EQ(host.browserQueries, 0);
    EXPECT_EQ(browser.calls, 0);
}

// Two navigations before the restore timer fires: one timer per box, and
// the DLL may unload once it has fired.
TEST_F(Invoke, SecondNavigationOfTheSameBoxReplacesItsTimer) {
    std::unique_ptr<Handler> h = TwoFolderMenu();
    ASSERT_TRUE(*h);
    unique_window dialog(CreateWindowExA(0, "#32770", "Wayleap test dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50,
                                         50, 400, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    HWND box = MakeChild("Edit", dialog.get(), kOldStyleFileName, WS_VISIBLE | WS_BORDER, "keep.txt");
    EXPECT_EQ(InvokeOffset(h->menu, box, 8), S_OK);
    EXPECT_EQ(InvokeOffset(h->menu, box, 9), S_OK);
    EXPECT_EQ(TextOf(box), other);
    h.reset();
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    EXPECT_TRUE(PumpUntil([&] { return dll.CanUnloadNow() == S_OK; }, 5000)) << "a timer lock was left behind";
}

// ---------------------------------------------------------------------------
// Real Open dialogs

UINT_PTR CALLBACK OldStyleHook(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::string FolderShown(HWND dialog, bool explorerStyle) {
    char buffer[MAX_PATH + 1] = {};
    if (explorerStyle) {
        SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
    } else {
        GetDlgItemTextA(dialog, kOldStyleDirectory, buffer, MAX_PATH);
    }
    return buffer;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

TEST_F(Invoke, OpenDialogGoesToTheFolderAndGetsItsFileNameBack) {
    const std::string start = scratch / "Start";
    CreateDirectoryA(start.c_str(), nullptr);
    char cwd[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);

    const struct {
        const char* what;
        bool explorerStyle;
        const char* fileName;  // what the file-name box holds before
        bool fromBox;          // the menu was opened on the box, not the dialog
        const char* screenshot;  // name of the before/after pictures, when taken
    } cases[] = {
        {"Explorer style with a name", true, "keep.txt", false, "open-dialog-explorer-style"},
        {"Explorer style, empty", true, "", false, nullptr},
        {"Explorer style, menu on the box", true, "keep.txt", true, nullptr},
        {"old style with a name", false, "keep.txt", false, "open-dialog-old-style"},
        {"old style, empty", false, "", true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Handler> h = TwoFolderMenu();
        ASSERT_TRUE(*h);
        const char* title = "Wayleap open test";
        HWND dialog = nullptr;
        HWND box = nullptr;
        std::string shownBefore, textRightAfter, shownAfter, textAfter;
        HRESULT invoked = E_UNEXPECTED, lockRightAfter = E_UNEXPECTED;
        bool focusedAfter = false;
        DWORD selFrom = 1, selTo = 0;

        TimerScript script({
            [&] {
                dialog = FindThreadDialog(title);
                if (!dialog) return false;
                box = GetDlgItem(dialog, c.explorerStyle ? kExplorerFileName : kOldStyleFileName);
                EXPECT_NE(box, nullptr);
                shownBefore = FolderShown(dialog, c.explorerStyle);
                SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.fileName));
                if (c.screenshot) Snapshot(std::string(c.screenshot) + "-1-before", dialog);
                return true;
            },
            [&] {
                invoked = InvokeOffset(h->menu, c.fromBox ? box : dialog, 8);
                textRightAfter = TextOf(box);
                h.reset();
                lockRightAfter = dll.CanUnloadNow();
                return true;
            },
            [&] { return dll.CanUnloadNow() == S_OK; },  // the restore timer has run
            [&] {
                shownAfter = FolderShown(dialog, c.explorerStyle);
                textAfter = TextOf(box);
                HWND focus = GetFocus();
                focusedAfter = focus && (focus == box || IsChild(box, focus));
                HWND edit = c.explorerStyle ? reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETEDITCONTROL, 0, 0))
                                            : box;
                SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selFrom), reinterpret_cast<LPARAM>(&selTo));
                if (c.screenshot) Snapshot(std::string(c.screenshot) + "-2-after", dialog);
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            },
        });
        char file[MAX_PATH + 1] = {};
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = "All files\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrInitialDir = start.c_str();
        ofn.lpstrTitle = title;
        ofn.Flags = OFN_NOCHANGEDIR | (c.explorerStyle ? OFN_EXPLORER : OFN_ENABLEHOOK);
        if (!c.explorerStyle) ofn.lpfnHook = OldStyleHook;
        EXPECT_FALSE(GetOpenFileNameA(&ofn)) << "the dialog was cancelled";
        EXPECT_TRUE(script.RunToEnd());
        SetCurrentDirectoryA(cwd);

        EXPECT_TRUE(SamePath(shownBefore, start)) << shownBefore;
        EXPECT_EQ(invoked, S_OK);
        EXPECT_EQ(textRightAfter, target) << "the path typed into the box";
        EXPECT_EQ(lockRightAfter, S_FALSE) << "the restore timer keeps the DLL";
        EXPECT_TRUE(SamePath(shownAfter, target)) << shownAfter;
        EXPECT_EQ(textAfter, c.fileName) << "the box holds its file name again";
        EXPECT_TRUE(focusedAfter);
        EXPECT_EQ(selFrom, 0u);
        EXPECT_EQ(selTo, std::string(c.fileName).size()) << "the whole name selected";
    }
}

// ---------------------------------------------------------------------------
// Office-style dialogs

// The file-name box of an Office-style dialog: a RichEdit20W whose messages
// are logged. A box that reports itself as not Unicode is one that the host
// has subclassed with an ANSI window procedure which takes WM_SETTEXT text as
// UTF-16 - what the handler relies on such boxes to do.
std::vector<std::string>* g_boxLog = nullptr;
const char kOriginalProc[] = "WayleapTestOriginalProc";

// Sends the box's messages to `log` while it lives.
struct BoxLog {
    explicit BoxLog(std::vector<std::string>* log) { g_boxLog = log; }
    ~BoxLog() { g_boxLog = nullptr; }
    BoxLog(const BoxLog&) = delete;
    BoxLog& operator=(const BoxLog&) = delete;
};

std::string Narrow(const wchar_t* text) {
    char buffer[2048] = {};
    if (text) WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

void LogBoxMessage(UINT message, WPARAM wParam, LPARAM lParam, const wchar_t* text) {
    if (!g_boxLog) return;
    switch (message) {
    case WM_SETTEXT: g_boxLog->push_back("box settext " + Narrow(text)); break;
    case WM_KEYDOWN:
    case WM_KEYUP: g_boxLog->push_back(KeyEvent("box", message, wParam, lParam)); break;
    case EM_SETSEL:
        g_boxLog->push_back("box setsel " + std::to_string(static_cast<long long>(wParam)) + " " +
                            std::to_string(static_cast<long long>(lParam)));
        break;
    default: break;
    }
}

WNDPROC OriginalProc(HWND window) { return reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProc)); }

LRESULT CALLBACK UnicodeBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LogBoxMessage(message, wParam, lParam, reinterpret_cast<const wchar_t*>(lParam));
    return CallWindowProcW(OriginalProc(window), window, message, wParam, lParam);
}

LRESULT CALLBACK AnsiBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LogBoxMessage(message, wParam, lParam, reinterpret_cast<const wchar_t*>(lParam));
    if (message == WM_SETTEXT) return CallWindowProcW(OriginalProc(window), window, message, wParam, lParam);
    return CallWindowProcA(OriginalProc(window), window, message, wParam, lParam);
}

HWND MakeOfficeBox(HWND parent, bool unicode, DWORD style = WS_VISIBLE) {
    HWND box = CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | WS_BORDER | style, 10, 10, 400, 24, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleA(nullptr),
                               nullptr);
    EXPECT_NE(box, nullptr) << "riched20.dll";
    if (!box) return nullptr;
    LONG_PTR original = unicode ? GetWindowLongPtrW(box, GWLP_WNDPROC) : GetWindowLongPtrA(box, GWLP_WNDPROC);
    SetPropA(box, kOriginalProc, reinterpret_cast<HANDLE>(original));
    if (unicode) {
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UnicodeBoxProc));
    } else {
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnsiBoxProc));
    }
    EXPECT_EQ(IsWindowUnicode(box) != FALSE, unicode);
    return box;
}

// The box's text and a new text, past the subclass and its log.
std::string BoxText(HWND box) {
    wchar_t buffer[1024] = {};
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(box, GCLP_WNDPROC)), box, WM_GETTEXT, 1024,
                    reinterpret_cast<LPARAM>(buffer));
    return Narrow(buffer);
}

void SetBoxText(HWND box, const std::string& text) {
    std::wstring wide(text.begin(), text.end());
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(box, GCLP_WNDPROC)), box, WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(wide.c_str()));
}

TEST_F(Invoke, OfficeDialogGetsThePathTypedIntoItsRichEditBox) {
    const struct {
        const char* what;
        bool unicode;
        const char* original;
        bool restored;  // the original text comes back
    } cases[] = {
        {"Unicode box with a name", true, "orig.doc", true},
        {"Unicode box, empty", true, "", true},
        {"ANSI box with a name", false, "orig.doc", true},
        {"ANSI box, empty: the path stays", false, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Handler> h = TwoFolderMenu();
        ASSERT_TRUE(*h);
        std::vector<std::string> log;
        Host host;
        host.log = &log;
        unique_window dialog = MakeTopLevel(kOfficeClass, &host);
        HWND box = MakeOfficeBox(dialog.get(), c.unicode);
        ASSERT_NE(box, nullptr);
        SetBoxText(box, c.original);
        BoxLog logging(&log);

        EXPECT_EQ(InvokeOffset(h->menu, dialog.get(), 8), S_OK);
        EXPECT_EQ(BoxText(box), target) << "the appended letter was taken back by Backspace";
        h.reset();
        EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "the restore timer keeps the DLL";
        EXPECT_TRUE(PumpUntil([&] { return dll.CanUnloadNow() == S_OK; }, 5000)) << "the restore timer never ran";
        EXPECT_EQ(BoxText(box), c.restored ? std::string(c.original) : target);

        std::vector<std::string> expected = {
            "box settext " + target + "C", "frame down 9 1", "box down 35 1", "box down 8 1",
            "box down 13 1",               "box up 13 1",
        };
        if (c.restored) expected.push_back(std::string("box settext ") + c.original);
        expected.push_back("box setsel 0 -1");
        EXPECT_EQ(log, expected);
    }
}

TEST_F(Invoke, OfficeDialogUsesTheFirstVisibleRichEditAmongItsDescendants) {
    std::unique_ptr<Handler> h = TwoFolderMenu();
    ASSERT_TRUE(*h);
    Host host;
    unique_window dialog = MakeTopLevel(kOfficeClass, &host);
    HWND hidden = CreateWindowExW(0, L"RichEdit20W", L"hidden", WS_CHILD, 0, 0, 100, 20, dialog.get(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND panel = MakeChild("Static", dialog.get(), 5);
    HWND box = MakeOfficeBox(panel, true);
    ASSERT_NE(box, nullptr);
    SetBoxText(box, "orig.doc");

    EXPECT_EQ(InvokeOffset(h->menu, dialog.get(), 8), S_OK);
    EXPECT_EQ(BoxText(box), target);
    EXPECT_EQ(BoxText(hidden), "hidden");
    h.reset();
    EXPECT_TRUE(PumpUntil([&] { return dll.CanUnloadNow() == S_OK; }, 5000));
    EXPECT_EQ(BoxText(box), "orig.doc");
}

TEST_F(Invoke, OfficeDialogWithoutAVisibleRichEditFailsQuietly) {
    const struct {
        const char* what;
        const wchar_t* childClass;  // or null: no child at all
        DWORD style;
    } cases[] = {
        {"no child", nullptr, 0},
        {"a hidden RichEdit20W", L"RichEdit20W", 0},
        {"a visible Edit", L"Edit", WS_VISIBLE},
        {"a visible RichEdit20A", L"RichEdit20A", WS_VISIBLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Handler> h = TwoFolderMenu();
        Host host;
        unique_window dialog = MakeTopLevel(kOfficeClass, &host);
        HWND child = nullptr;
        if (c.childClass) {
            child = CreateWindowExW(0, c.childClass, L"orig.doc", WS_CHILD | c.style, 0, 0, 200, 20, dialog.get(),
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
            ASSERT_NE(child, nullptr);
        }
        DialogSentinel sentinel;
        EXPECT_EQ(InvokeOffset(h->menu, dialog.get(), 8), E_FAIL);
        PumpFor(100);
        EXPECT_TRUE(sentinel.seen.empty()) << "no message";
        if (child) EXPECT_EQ(TextOf(child), "orig.doc");
        h.reset();
        EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "no restore timer";
    }
}

// ---------------------------------------------------------------------------
// Other windows: the shell opens the folder

TEST_F(Invoke, OtherWindowsHaveTheShellOpenTheFolder) {
    FolderOpener opener(scratch.path());
    Host plainHost;
    unique_window plain = MakeTopLevel(kPlainClass, &plainHost);
    HWND child = MakeChild("Static", plain.get(), 100);
    // 0x0407 is also CBEM_GETEDITCONTROL: the box answers with its edit window.
    HWND combo = MakeChild(WC_COMBOBOXEXA, plain.get(), 101, WS_VISIBLE | CBS_DROPDOWN);
    const LRESULT comboReply = SendMessageA(combo, WM_USER + 7, 0, 0);
    ASSERT_TRUE(IsWindow(reinterpret_cast<HWND>(comboReply))) << "a ComboBoxEx32 answers with a window";

    const struct {
        const char* what;
        HWND invoker;
    } cases[] = {
        {"a plain top-level window", plain.get()},
        {"a child of a plain window", child},
        {"a ComboBoxEx32 that answers 0x0407 with its edit", combo},
        {"the desktop", GetDesktopWindow()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        opener.Forget();
        std::unique_ptr<Handler> h = TwoFolderMenu();
        EXPECT_EQ(InvokeOffset(h->menu, c.invoker, 8), S_OK);
        const std::vector<std::string> runs = WaitForRuns(opener.program(), 1);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0], "2\t" + target);
    }
    EXPECT_EQ(plainHost.browserQueries, 1) << "asked when it was the invoking window";
}

// Only the window the menu was opened in is asked for a browser.
TEST_F(Invoke, OtherWindowThatAnswersWithABrowserBrowsesInPlace) {
    FolderOpener opener(scratch.path());
    for (const bool fromChild : {false, true}) {
        SCOPED_TRACE(fromChild ? "menu on a child of the window" : "menu on the window");
        opener.Forget();
        Host host;
        RecordingBrowser browser;
        host.reply = browser.AsReply();
        unique_window window = MakeTopLevel(kPlainClass, &host);
        HWND child = MakeChild("Static", window.get(), 100);
        std::unique_ptr<Handler> h = TwoFolderMenu();
        EXPECT_EQ(InvokeOffset(h->menu, fromChild ? child : window.get(), 9), S_OK);
        if (fromChild) {
            EXPECT_EQ(host.browserQueries, 0);
            EXPECT_EQ(browser.calls, 0);
            const std::vector<std::string> runs = WaitForRuns(opener.program(), 1);
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0], "2\t" + other);
        } else {
            EXPECT_EQ(browser.calls, 1);
            EXPECT_EQ(browser.path, other);
            EXPECT_EQ(browser.flags, static_cast<UINT>(SBSP_SAMEBROWSER));
            EXPECT_EQ(browser.refs, 1);
            PumpFor(300);
            EXPECT_TRUE(LoggedRuns(opener.program()).empty()) << "the shell opened it as well";
        }
    }
}

// ---------------------------------------------------------------------------
// Configure

TEST_F(Invoke, ConfigureStartsWayleapBesideTheDllWithoutArgumentsAndDoesNotWait) {
    PutWayleapStandIn();
    std::unique_ptr<Handler> h = TwoFolderMenu();
    Host host;
    unique_window window = MakeTopLevel(kPlainClass, &host);
    // The stand-in waits for this event before it logs anything.
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "WayleapStandInGo");
    ASSERT_NE(go, nullptr);
    const DWORD start = GetTickCount();
    EXPECT_EQ(InvokeOffset(h->menu, window.get(), 2), S_OK);
    EXPECT_LT(GetTickCount() - start, 3000u) << "InvokeCommand waited for the program";
    EXPECT_TRUE(LoggedRuns(wayleap()).empty()) << "InvokeCommand waited for the program";
    SetEvent(go);
    const std::vector<std::string> runs = WaitForRuns(wayleap(), 1);
    CloseHandle(go);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], "1") << "no arguments";
}

TEST_F(Invoke, ConfigureWithoutWayleapFailsQuietly) {
    std::unique_ptr<Handler> h = TwoFolderMenu();
    Host host;
    unique_window window = MakeTopLevel(kPlainClass, &host);
    DialogSentinel sentinel;
    EXPECT_EQ(InvokeOffset(h->menu, window.get(), 2), E_FAIL);
    PumpFor(100);
    EXPECT_TRUE(sentinel.seen.empty());
}

}  // namespace

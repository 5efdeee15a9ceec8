// SkipdoorCM.dll's folder commands carried out on real windows and on
// stand-ins of Windows' own layouts. The view's site or a shell browser moves
// Explorer windows and file dialogs (Wine's item dialogs: Save, Open, folder
// picker; its Explorer-style Open dialog); where none answers, a file
// dialog's name box gets the folder typed in the way the dialog notices, OK
// pressed and the user's text put back (Wine's old-style and item dialogs;
// stand-ins of the Windows 10/11 Save and Open layouts and of a hook dialog
// inside one); an Office-style dialog's RichEdit box gets the path; anything
// else has the shell open the folder. "Configure" starts Wayleap.exe.
#include "tests/wine/shellext_fixture.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <algorithm>

#include "win/code_page.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

#define STUB(method) \
    STDMETHODIMP method override { return E_NOTIMPL; }

// Records where it is sent and answers `result`. It is its own active view,
// whose window is `view`; nothing else of the view is asked for.
struct Browser : IShellBrowser, IShellView {
    std::string path;
    std::wstring widePath;
    UINT flags = 0;
    HRESULT result = S_OK;
    HWND view = nullptr;
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const bool mine = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellBrowser);
        return *ppv = mine ? (AddRef(), static_cast<IShellBrowser*>(this)) : nullptr, mine ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP GetWindow(HWND* out) override { return *out = view, S_OK; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE pidl, UINT how) override {
        wchar_t wide[MAX_PATH + 1] = {};
        SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl), wide);
        widePath = wide;
        path = WideToAnsiBest(wide);
        flags = how;
        return result;
    }
    STDMETHODIMP QueryActiveShellView(IShellView** out) override { return AddRef(), *out = this, S_OK; }
    STUB(ContextSensitiveHelp(BOOL)) STUB(InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS))
    STUB(SetMenuSB(HMENU, HOLEMENU, HWND)) STUB(RemoveMenusSB(HMENU)) STUB(SetStatusTextSB(LPCWSTR))
    STUB(EnableModelessSB(BOOL)) STUB(TranslateAcceleratorSB(MSG*, WORD)) STUB(GetViewStateStream(DWORD, IStream**))
    STUB(GetControlWindow(UINT, HWND*)) STUB(SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*))
    STUB(OnViewWindowActive(IShellView*)) STUB(SetToolbarItems(LPTBBUTTONSB, UINT, UINT))
    STUB(TranslateAccelerator(MSG*)) STUB(EnableModeless(BOOL)) STUB(UIActivate(UINT)) STUB(Refresh())
    STUB(CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*)) STUB(DestroyViewWindow())
    STUB(GetCurrentInfo(LPFOLDERSETTINGS)) STUB(AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM))
    STUB(SaveViewState()) STUB(SelectItem(PCUITEMID_CHILD, SVSIF)) STUB(GetItemObject(UINT, REFIID, void**))
};
#undef STUB

// The site a view gives its context menus: it answers `browser` for the
// browser services and `dialog` as the frame of a file dialog's browser.
struct Site : IServiceProvider {
    IShellBrowser* browser = nullptr;
    IFileDialog* dialog = nullptr;
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const bool mine = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider);
        return *ppv = mine ? (AddRef(), this) : nullptr, mine ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (browser && (IsEqualGUID(service, SID_STopLevelBrowser) || IsEqualGUID(service, SID_SShellBrowser))) {
            return browser->QueryInterface(riid, ppv);
        }
        if (dialog && IsEqualGUID(service, SID_SExplorerBrowserFrame)) return dialog->QueryInterface(riid, ppv);
        return E_NOINTERFACE;
    }
};

void SetSite(Handler& handler, IUnknown* site) {
    IObjectWithSite* withSite = nullptr;
    ASSERT_EQ(handler.menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)), S_OK);
    EXPECT_EQ(withSite->SetSite(site), S_OK);
    withSite->Release();
}

LRESULT g_answer = 0;                 // what the test's shell-browser windows answer 0x0407 with
constexpr LRESULT kOwnHandle = 2;     // answered as the window's own handle

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 7) return g_answer == kOwnHandle ? reinterpret_cast<LRESULT>(window) : g_answer;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A visible child window of a system class, or of a stand-in class with
// `proc`, registered on first use as the test program's own: that is the
// class meant where the shell registers one of the same name. (A system class
// must not be registered here: the program's own would hide it.)
HWND ChildOf(HWND parent, const wchar_t* className, DWORD style = 0, WNDPROC proc = nullptr) {
    WNDCLASSW wc = {0, proc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, className};
    if (proc) RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 120, parent, nullptr,
                           wc.hInstance, nullptr);
}

// A stand-in Explorer frame (or any window) hosting a stand-in shell view,
// which `browser`'s active view names.
struct ShellHost : HostWindow {
    HWND view = ChildOf(hwnd, L"SHELLDLL_DefView", 0, DefWindowProcW);
    ShellHost(const char* className, Browser* browser) : HostWindow(className, AnsweringProc) {
        if (browser) browser->view = view;
        g_answer = reinterpret_cast<LRESULT>(browser);
    }
};

// The last line the stand-in program at `program` logged, once it has logged `lines` lines.
std::string LastRun(const std::string& program, std::size_t lines) {
    std::string log;
    PumpUntil([&] {
        log = ReadBytes(program + ".log");
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) >= lines;
    });
    return log.empty() ? log : log.substr(log.rfind('\n', log.size() - 2) + 1);
}

// While it lives, the shell opens folders ("Folder", verb "open") with a copy
// of the stand-in program at `path`.
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

const char kNotMoved[] = "Wayleap can not send this dialog to the folder from here. Please go to the folder in the "
                         "dialog itself, or open it from an Explorer window.";

class Invoke : public InvokeTest {
protected:
    // Carries out the command at `offset` in `window`, which must fail and
    // tell the user why; the message.
    std::string Refused(HWND window, UINT offset) {
        std::string message;
        TimerScript answer({CloseError(message)});
        EXPECT_EQ(h->Invoke(window, offset), E_FAIL);
        EXPECT_TRUE(answer.RunToEnd()) << "no message";
        return message;
    }
};

TEST_F(Invoke, ExplorerWindowBrowsesInPlace) {
    Browser browser;
    ShellHost frame("CabinetWClass", &browser);
    Site empty;  // a site that answers no browser
    SetSite(*h, &empty);
    EXPECT_EQ(h->Invoke(frame.view, 9), S_OK);
    EXPECT_EQ(browser.path, other);
    EXPECT_EQ(browser.flags, static_cast<UINT>(SBSP_SAMEBROWSER | SBSP_ABSOLUTE));
    EXPECT_EQ(browser.refs, 1);

    // Through the site when it answers a browser: the frame is not asked.
    Browser viaSite;
    Site site;
    site.browser = &viaSite;
    SetSite(*h, &site);
    EXPECT_EQ(h->Invoke(frame.view, 8), S_OK);
    EXPECT_EQ(viaSite.path, target);
    EXPECT_EQ(browser.path, other);
    SetSite(*h, nullptr);
    EXPECT_EQ(site.refs, 1) << "the site is given back";

    // Nothing without a window, for a verb string, for a window closed since
    // the menu was shown, or for a folder that is gone; that one says so.
    CMINVOKECOMMANDINFO verb = {sizeof verb, 0, frame.hwnd, "WLList0", nullptr, nullptr, SW_SHOWNORMAL};
    EXPECT_EQ(h->menu->InvokeCommand(&verb), E_INVALIDARG);
    EXPECT_EQ(h->Invoke(nullptr, 8), E_INVALIDARG);
    {
        HWND closed = HostWindow("WayleapTestPlain").hwnd;
        DialogSentinel sentinel;
        EXPECT_EQ(h->Invoke(closed, 8), E_FAIL);
        PumpFor(50);
        EXPECT_TRUE(sentinel.seen.empty());
    }
    EXPECT_EQ(Refused(frame.hwnd, 10), "Sorry. I can not find the folder. Would you please check if the folder exists?");
}

// Message 0x0407 goes only to shell browsers, and a reply that is no browser
// of that window is never called: the folder opens in a new window instead.
TEST_F(Invoke, OnlyShellBrowsersAreAskedAndOddRepliesAreNeverCalled) {
    const FolderOpener opener(scratch / "opener.exe");
    Browser failing, foreign;  // the foreign one's view is no window of the host
    failing.result = E_FAIL;
    const struct { const char* what; LRESULT answer; } replies[] = {
        {"1", 1}, {"its own handle", kOwnHandle}, {"a pointer to text", reinterpret_cast<LRESULT>("some text")},
        {"a browser whose BrowseObject fails", reinterpret_cast<LRESULT>(&failing)},
        {"a browser of another window's view", reinterpret_cast<LRESULT>(&foreign)},
    };
    std::size_t runs = 0;
    for (const auto& reply : replies) {
        SCOPED_TRACE(reply.what);
        ShellHost host("WayleapTestHost", &failing);
        g_answer = reply.answer;
        EXPECT_EQ(h->Invoke(host.view, 8), S_OK);
        EXPECT_EQ(LastRun(opener.path, ++runs), "2\t" + target + "\n");
    }
    EXPECT_TRUE(foreign.path.empty());
    // A trackbar (TBM_SETRANGEMIN is 0x0407 too) inside a plain window keeps its range.
    InitCommonControls();
    HostWindow plain("WayleapTestPlain");
    HWND trackbar = ChildOf(plain.hwnd, TRACKBAR_CLASSW);
    SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(5, 50));
    EXPECT_EQ(h->Invoke(trackbar, 9), S_OK);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0), 5);
    EXPECT_EQ(LastRun(opener.path, ++runs), "2\t" + other + "\n");
}

std::wstring WideTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
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

// The Explorer-style Open dialog is a shell browser: it goes to the folder
// and its file-name box is never touched. The old style is none: its box
// gets the folder typed in and OK pressed, and a restore timer gives the box
// its text back.
TEST_F(Invoke, OpenDialogsGoToTheFolderAndKeepTheirFileName) {
    const std::string start = MakeDirs("Start");
    for (const bool explorerStyle : {true, false}) {
        SCOPED_TRACE(explorerStyle ? "Explorer style" : "old style");
        Select(scratch.path());
        HWND dialog = nullptr, box = nullptr;
        std::string typed, shown, restored;
        TimerScript script({
            [&] {
                dialog = FindThreadDialog("Wayleap open test");
                box = GetDlgItem(dialog, explorerStyle ? 1148 : 1152);  // cmb13, edt1: the file-name boxes
                if (box) SetWindowTextA(box, "keep.txt");
                return box != nullptr;
            },
            [&] {
                EXPECT_EQ(h->Invoke(dialog, 8), S_OK);
                typed = TextOf(box);
                h.reset();
                return true;
            },
            [&] { return dll.Call("DllCanUnloadNow") == S_OK; },  // the restore timer has run
            [&] {
                char folder[MAX_PATH + 1] = {};
                if (explorerStyle) SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
                else GetDlgItemTextA(dialog, 1088, folder, MAX_PATH);  // stc1: the old style's folder
                shown = folder;
                restored = TextOf(box);
                return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
            },
        });
        ShowOpenDialog(start, explorerStyle);
        EXPECT_TRUE(script.RunToEnd());
        EXPECT_EQ(typed, explorerStyle ? "keep.txt" : target) << "the file-name box right after the command";
        EXPECT_EQ(lstrcmpiA(shown.c_str(), target.c_str()), 0) << shown;
        EXPECT_EQ(restored, "keep.txt");
    }
}

// Wine's folder picker, an item dialog. Given the dialog's own browser as its
// site, as the dialog's view gives it (Wine's browser control inside the
// dialog answers 0x0407 with it), the handler moves it. When its site cannot
// move it, the folder is never typed into its box, where OK would accept the
// folder and close the picker: the user is told, and the picker stays open.
TEST_F(Invoke, FolderPickerMovesThroughItsBrowserAndIsNeverConfirmedByTyping) {
    const std::string start = MakeDirs("Start");
    IFileDialog* dialog = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                               reinterpret_cast<void**>(&dialog)), S_OK);
    IShellItem* startItem = nullptr;
    ASSERT_EQ(SHCreateItemFromParsingName(AnsiToWide(start).c_str(), nullptr, IID_IShellItem,
                                          reinterpret_cast<void**>(&startItem)), S_OK);
    dialog->SetFolder(startItem);
    startItem->Release();
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS);
    dialog->SetTitle(L"Wayleap folder picker test");  // after the options, which give a picker its own title

    HWND window = nullptr;
    Browser refusing;
    refusing.result = E_FAIL;
    Site site;
    site.browser = &refusing;
    site.dialog = dialog;
    SetSite(*h, &site);
    TimerScript script({
        [&] { return (window = FindThreadDialog("Wayleap folder picker test")) != nullptr; },
        steps::Do([&] { EXPECT_EQ(Refused(window, 9), kNotMoved); }),
        [&] { return true; },  // an OK the command posted has been handled
        [&] {
            EXPECT_EQ(lstrcmpiA(FolderOf(dialog).c_str(), start.c_str()), 0) << FolderOf(dialog);
            EXPECT_TRUE(IsWindowVisible(window)) << "the picker accepted a folder";
            HWND control = FindWindowExA(window, nullptr, "ExplorerBrowserControl", nullptr);
            site.browser = reinterpret_cast<IShellBrowser*>(SendMessageA(control, WM_USER + 7, 0, 0));
            EXPECT_EQ(h->Invoke(window, 8), S_OK);
            return true;
        },
        [&] {
            EXPECT_EQ(lstrcmpiA(FolderOf(dialog).c_str(), target.c_str()), 0) << FolderOf(dialog);
            return PostMessageA(window, WM_COMMAND, IDCANCEL, 0) != FALSE;
        },
    });
    dialog->Show(nullptr);
    EXPECT_TRUE(script.RunToEnd());
    SetSite(*h, nullptr);
    dialog->Release();
}

// ---------------------------------------------------------------------------
// Stand-ins of the Windows 10/11 file dialogs, whose layouts Wine's do not have.

// A "#32770" dialog from an empty template (a child one inside `parent`: an
// application's hook or template dialog); it records the OKs it gets with the
// name box's text then, and the edit changes it hears of.
struct StandInDialog {
    HWND hwnd = nullptr, box = nullptr;
    int oks = 0, editChanges = 0;
    std::wstring textAtOk;
    explicit StandInDialog(HWND parent = nullptr) {
        alignas(4) WORD layout[12] = {};
        auto* dialog = reinterpret_cast<DLGTEMPLATE*>(layout);
        dialog->style = parent ? WS_CHILD | WS_VISIBLE | DS_CONTROL : WS_POPUP | WS_CAPTION;
        dialog->cx = 320;
        dialog->cy = 160;
        hwnd = CreateDialogIndirectParamW(nullptr, dialog, parent, Proc, reinterpret_cast<LPARAM>(this));
        MarkOwnDialog(hwnd);  // before it shows: the test's own, not one a fault opened
        ShowWindow(hwnd, SW_SHOW);
    }
    ~StandInDialog() { DestroyWindow(hwnd); }
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* self = reinterpret_cast<StandInDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (message != WM_COMMAND || !self) return message == WM_INITDIALOG;
        if (LOWORD(wParam) == IDOK) ++self->oks, self->textAtOk = WideTextOf(self->box);
        if (HIWORD(wParam) == CBN_EDITCHANGE) ++self->editChanges;
        return TRUE;
    }
};

// DirectUI's sink passes what its controls report on to the dialog.
LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The Save dialog's name box deep in its DirectUI pane, after a file-type
// list that is a ComboBox too; returns the file-type list.
HWND SaveLayout(StandInDialog& dialog) {
    HWND pane = ChildOf(ChildOf(dialog.hwnd, L"DUIViewWndClassName", 0, DefWindowProcW), L"DirectUIHWND", 0,
                        DefWindowProcW);
    HWND types = ChildOf(ChildOf(pane, L"FloatNotifySink", 0, SinkProc), L"ComboBox", CBS_DROPDOWNLIST);
    SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Text (*.txt)"));
    SendMessageW(types, CB_SETCURSEL, 0, 0);
    HWND names = ChildOf(ChildOf(pane, L"FloatNotifySink", 0, SinkProc), L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL);
    dialog.box = FindWindowExW(names, nullptr, L"Edit", nullptr);
    return types;
}

// The Open dialog's name box: ComboBoxEx32 1148 > ComboBox > Edit.
void OpenLayout(StandInDialog& dialog) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    HWND combo = ChildOf(dialog.hwnd, WC_COMBOBOXEXW, CBS_DROPDOWN);
    SetWindowLongPtrW(combo, GWLP_ID, 1148);
    dialog.box = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETEDITCONTROL, 0, 0));
}

// Whether a timer of this thread still runs (none of the test's own does
// here): one the DLL left behind would fire into the DLL once it is unloaded.
bool ThreadTimerRuns() {
    bool runs = false;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 100 && !runs; Sleep(1)) {
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            runs = runs || (msg.message == WM_TIMER && !msg.hwnd);
            DispatchMessageA(&msg);
        }
    }
    return runs;
}

// The right box gets the folder in a way the dialog hears of, the dialog
// (past an application's hook dialog) gets OK, the file-type list is
// untouched, and the user's long typed name comes back whole.
TEST_F(Invoke, WindowsFileDialogLayoutsGetTheFolderTypedIn) {
    const std::wstring typed = std::wstring(300, L'x') + L" 100% \"final\" .txt ";
    for (const bool save : {true, false}) {
        SCOPED_TRACE(save ? "Save layout" : "Open layout, clicked inside a hook dialog");
        Select(scratch.path());
        StandInDialog dialog;
        HWND types = save ? SaveLayout(dialog) : (OpenLayout(dialog), nullptr);
        StandInDialog hook(dialog.hwnd);
        HWND clicked = save ? dialog.hwnd : ChildOf(hook.hwnd, L"Button");
        ASSERT_NE(dialog.box, nullptr);
        SetWindowTextW(dialog.box, typed.c_str());
        dialog.editChanges = 0;
        EXPECT_EQ(h->Invoke(clicked, 8), S_OK);
        EXPECT_EQ(WideTextOf(dialog.box), AnsiToWide(target));
        EXPECT_GT(dialog.editChanges, 0) << "the dialog heard of the new text";
        h.reset();
        EXPECT_TRUE(PumpUntil([&] { return dll.Call("DllCanUnloadNow") == S_OK; })) << "the restore timer has run";
        EXPECT_EQ(dialog.oks, 1);
        EXPECT_EQ(hook.oks, 0);
        EXPECT_EQ(dialog.textAtOk, AnsiToWide(target));
        EXPECT_EQ(WideTextOf(dialog.box), typed);
        EXPECT_FALSE(ThreadTimerRuns()) << "the restore timer ran once and is gone";
        if (types) EXPECT_EQ(TextOf(types), "Text (*.txt)");
    }
    // A dialog that closes on the typed path before its restore timer runs
    // still lets the DLL go.
    Select(scratch.path());
    {
        StandInDialog closing;
        SaveLayout(closing);
        EXPECT_EQ(h->Invoke(closing.hwnd, 8), S_OK);
    }
    h.reset();
    EXPECT_TRUE(PumpUntil([&] { return dll.Call("DllCanUnloadNow") == S_OK; })) << "the restore timer's lock";
}

// A dialog recognised but with no way to move it says so and fails.
TEST_F(Invoke, ADialogThatCannotBeMovedSaysSo) {
    for (const char* what : {"hidden name box", "disabled name box", "Office-style dialog without its box"}) {
        SCOPED_TRACE(what);
        StandInDialog dialog;
        SaveLayout(dialog);
        SetWindowTextW(dialog.box, L"keep.txt");
        if (what[0] == 'h') ShowWindow(GetParent(dialog.box), SW_HIDE);
        else EnableWindow(dialog.box, FALSE);
        HostWindow office("bosa_sdm_Test");
        EXPECT_EQ(Refused(what[0] == 'O' ? office.hwnd : dialog.hwnd, 8), kNotMoved);
        PumpFor(30);
        EXPECT_EQ(dialog.oks, 0);
        EXPECT_EQ(WideTextOf(dialog.box), L"keep.txt");
    }
}

// ---------------------------------------------------------------------------

TEST_F(Invoke, OfficeStyleDialogGetsThePathInItsRichEditBox) {
    LoadLibraryA("riched20.dll");
    HostWindow dialog("bosa_sdm_Test");
    HWND box = ChildOf(dialog.hwnd, L"RichEdit20W");
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, L"orig.doc");
    EXPECT_EQ(h->Invoke(dialog.hwnd, 8), S_OK);
    EXPECT_EQ(TextOf(box), target);
    h.reset();
    EXPECT_EQ(dll.Call("DllCanUnloadNow"), S_FALSE) << "the restore timer keeps the DLL loaded until it has run";
    EXPECT_TRUE(PumpUntil([&] { return dll.Call("DllCanUnloadNow") == S_OK; }));
    EXPECT_EQ(TextOf(box), "orig.doc");
}

// "Configure Wayleap..." starts a copy of the stand-in program as Wayleap.exe
// beside the DLL, without arguments; it logs how it was started.
TEST_F(Invoke, ConfigureStartsWayleap) {
    const std::string wayleap = dll.dir + "Wayleap.exe";
    ASSERT_TRUE(CopyFileA((OwnDir() + "shellext_stand_in.exe").c_str(), wayleap.c_str(), FALSE));
    EXPECT_EQ(h->Invoke(HostWindow("WayleapTestPlain").hwnd, 2), S_OK);
    EXPECT_EQ(LastRun(wayleap, 1), "1\n");
}

// A sub-folder whose name code page 1252 cannot hold is reached by its true
// path: an Explorer window browses there, a Unicode name box gets it typed
// in, the shell opens it in a new window; an ANSI name box (the old-style
// dialog's) gets nothing, and the user a message.
TEST_F(Invoke, FoldersOutsideTheCodePageAreReachedByTheirTrueNames) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::string parent = MakeDirs("parent");
    const std::wstring truePath = AnsiToWide(parent) + L"\\\u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryW(truePath.c_str(), nullptr));
    WriteList({{"Parent", parent, true, false}});  // 8 the entry, 9 "<This Folder>", 10 the sub-folder
    // A menu holds the sub-folder once its listing is in; a listing slower
    // than the menu waits serves the next menus.
    ASSERT_TRUE(PumpUntil([&] { return Select(scratch.path()), GetMenuState(h->hmenu, 110, MF_BYCOMMAND) != ~0u; }));
    Browser browser;
    ShellHost frame("CabinetWClass", &browser);
    EXPECT_EQ(h->Invoke(frame.view, 10), S_OK);
    EXPECT_EQ(browser.widePath, truePath);
    StandInDialog unicode;
    SaveLayout(unicode);
    EXPECT_EQ(h->Invoke(unicode.hwnd, 10), S_OK);
    EXPECT_EQ(WideTextOf(unicode.box), truePath);
    StandInDialog ansi;  // with an ANSI name box, as the old-style dialog has
    ansi.box = CreateWindowExA(0, "Edit", "keep.txt", WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, ansi.hwnd,
                               reinterpret_cast<HMENU>(1152), nullptr, nullptr);
    EXPECT_NE(Refused(ansi.hwnd, 10).find("file name box cannot take"), std::string::npos);
    EXPECT_EQ(WideTextOf(ansi.box), L"keep.txt");

    const FolderOpener opener(scratch / "opener.exe");
    HostWindow plain("WayleapTestPlain");
    EXPECT_EQ(h->Invoke(plain.hwnd, 10), S_OK);
    EXPECT_EQ(LastRun(opener.path, 1), "2\t" + parent + "\\\xE6\x97\xA5\xE6\x9C\xAC\n");  // UTF-8
}

// Entries whose paths name environment variables go where they lead in
// this process: their popups list those folders (by the true path where only
// UTF-16 names it), help texts and commands say and go there, "Add" is grayed
// for such a folder, and one whose variable is not defined is a folder that
// cannot be found. The file keeps what was written.
TEST_F(Invoke, EntriesWithVariablesGoWhereTheyLeadHere) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::string home = MakeDirs("home", {"sub"});
    const std::wstring wide = AnsiToWide(scratch.path()) + L"\u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr) && CreateDirectoryW((wide + L"\\x").c_str(), nullptr));
    SetEnvironmentVariableA("WAYLEAP_TEST_HOME", home.c_str());
    SetEnvironmentVariableW(L"WAYLEAP_TEST_WIDE", wide.c_str());
    const std::string list = "Home\n%WAYLEAP_TEST_HOME%|1|0\nWide\n%WAYLEAP_TEST_WIDE%|1|0\nGone\n%WAYLEAP_UNDEFINED%\\x|1|0\n";
    ASSERT_TRUE(WriteBytes(dataFile, list));
    ASSERT_TRUE(PumpUntil([&] { return Select(home), GetMenuState(h->hmenu, 113, MF_BYCOMMAND) != ~0u; }));
    EXPECT_EQ(Outline(h->hmenu), "- | [&0] Home#108{<This Folder>#109 | sub#110} | [&1] Wide#111{<This Folder>#112 | x#113} | "
                                 "[&2] Gone#114{} | - | Add to Wayleap...#101~ | Configure Wayleap...#102");
    const auto help = [&](UINT offset, UINT type) {
        wchar_t text[300] = {};
        h->menu->GetCommandString(offset, type, nullptr, reinterpret_cast<char*>(text), 300);
        return type == GCS_HELPTEXTW ? std::wstring(text) : AnsiToWide(reinterpret_cast<char*>(text));
    };
    EXPECT_EQ(help(8, GCS_HELPTEXTA), AnsiToWide(home));
    EXPECT_EQ(help(11, GCS_HELPTEXTW), wide);
    EXPECT_EQ(help(13, GCS_HELPTEXTA), AnsiToWide(scratch.path()) + L"??\\x");
    EXPECT_EQ(help(14, GCS_HELPTEXTW), L"%WAYLEAP_UNDEFINED%\\x");
    Browser browser;
    ShellHost frame("CabinetWClass", &browser);
    EXPECT_EQ(h->Invoke(frame.view, 8), S_OK);
    EXPECT_EQ(browser.path, home);
    EXPECT_EQ(h->Invoke(frame.view, 13), S_OK);
    EXPECT_EQ(browser.widePath, wide + L"\\x");
    EXPECT_EQ(Refused(frame.hwnd, 14), "Sorry. I can not find the folder. Would you please check if the folder exists?");
    Select(wide);
    EXPECT_TRUE(GetMenuState(h->hmenu, 101, MF_BYCOMMAND) & MF_GRAYED) << "the folder only UTF-16 names is listed";
    EXPECT_EQ(ReadBytes(dataFile), list);
}

}  // namespace

// The configuration sheet as a whole: what the General page shows and writes,
// who saves what on OK, Apply and Cancel, and the About page's link labels.
// The real sheet runs modally in this thread; timer steps drive it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/settings.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// What the General page's three buttons show.
struct GeneralView {
    bool enabled = false;
    bool submenu = false;
    bool direct = false;
};

class GeneralPage : public ConfigSheetTest {
protected:
    Step ReadGeneral(GeneralView& view) {
        return [this, &view] {
            HWND page = PageAt(kGeneralPage);
            view.enabled = Checked(page, IDC_ENABLE);
            view.submenu = Checked(page, IDC_STYLE_SUBMENU);
            view.direct = Checked(page, IDC_STYLE_DIRECT);
            return true;
        };
    }
};

// ---------------------------------------------------------------------------
// What the General page shows

TEST_F(GeneralPage, FirstStartShowsTheMenuOffAndTheSubMenuStyle) {
    GeneralView view;
    bool applyEnabled = true;
    bool enableBoxFocused = false;
    FocusWatch focus;
    const INT_PTR result = RunSheet({ReadGeneral(view), Do([&] {
                                         applyEnabled = ApplyEnabled();
                                         enableBoxFocused = focus.last() == GetDlgItem(PageAt(kGeneralPage), IDC_ENABLE);
                                     }),
                                     Press(PSBTN_CANCEL), SheetClosed()});

    EXPECT_FALSE(view.enabled);
    EXPECT_TRUE(view.submenu) << "\"Sub Menu of Context Menu\" selected";
    EXPECT_FALSE(view.direct);
    EXPECT_FALSE(applyEnabled);
    EXPECT_TRUE(enableBoxFocused);
    EXPECT_EQ(result, 0) << "Cancel";
    EXPECT_EQ(ReadStoredSettings(), kNothingStored) << "Cancel writes nothing";
}

TEST_F(GeneralPage, ShowsTheStoredSettings) {
    const struct {
        const char* what;
        bool enabled, submenu;
        bool removeBackgroundKey;
        GeneralView shown;
    } cases[] = {
        {"enabled, sub-menu", true, true, false, {true, true, false}},
        {"enabled, direct", true, false, false, {true, false, true}},
        {"disabled, direct", false, false, false, {false, false, true}},
        {"only one of the two shell keys", true, true, true, {false, true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StoreSettings(c.enabled, c.submenu);
        if (c.removeBackgroundKey) RegDeleteKeyA(HKEY_CLASSES_ROOT, kBackgroundHandlerKey);
        GeneralView view;
        RunSheet({ReadGeneral(view), Press(PSBTN_CANCEL), SheetClosed()});
        EXPECT_EQ(view.enabled, c.shown.enabled);
        EXPECT_EQ(view.submenu, c.shown.submenu);
        EXPECT_EQ(view.direct, c.shown.direct);
    }
}

// ---------------------------------------------------------------------------
// What the General page writes

TEST_F(GeneralPage, OkWritesTheStateOfItsControls) {
    const struct {
        const char* what;
        bool stored;  // settings from an earlier run: enabled with the direct style
        std::vector<int> clicks;
        StoredSettings after;
    } cases[] = {
        {"nothing stored, nothing clicked", false, {}, SettingsWritten(false, true)},
        {"switched on", false, {IDC_ENABLE}, SettingsWritten(true, true)},
        {"switched on with the direct style", false, {IDC_ENABLE, IDC_STYLE_DIRECT}, SettingsWritten(true, false)},
        {"switched off", true, {IDC_ENABLE}, SettingsWritten(false, false)},
        {"style changed, still on", true, {IDC_STYLE_SUBMENU}, SettingsWritten(true, true)},
        {"stored, nothing clicked", true, {}, SettingsWritten(true, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CleanSettings();
        if (c.stored) StoreSettings(true, false);
        std::vector<Step> steps;
        for (int id : c.clicks) steps.push_back(ClickOn(kGeneralPage, id));
        steps.push_back(Press(PSBTN_OK));
        steps.push_back(SheetClosed());
        EXPECT_EQ(RunSheet(steps), 1);
        EXPECT_EQ(ReadStoredSettings(), c.after);
    }
}

TEST_F(GeneralPage, OkWritesAgainWhatIsShownAndRecreatesAMissingShellKey) {
    StoreSettings(true, true);
    RunSheet({Do([] { RegDeleteKeyA(HKEY_CLASSES_ROOT, kFolderHandlerKey); }), Press(PSBTN_OK), SheetClosed()});
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, true));
}

TEST_F(GeneralPage, EveryClickEnablesApplyAndApplyWritesAtOnce) {
    const struct {
        const char* what;
        int id;
        StoredSettings applied;
    } cases[] = {
        {"the enable box", IDC_ENABLE, SettingsWritten(true, true)},
        {"the direct style", IDC_STYLE_DIRECT, SettingsWritten(false, false)},
        {"the style already selected", IDC_STYLE_SUBMENU, SettingsWritten(false, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CleanSettings();
        bool enabledByClick = false, enabledAfterApply = true;
        StoredSettings whileOpen;
        RunSheet({ClickOn(kGeneralPage, c.id), Do([&] { enabledByClick = ApplyEnabled(); }), Press(PSBTN_APPLYNOW),
                  Do([&] {
                      enabledAfterApply = ApplyEnabled();
                      whileOpen = ReadStoredSettings();
                  }),
                  Press(PSBTN_CANCEL), SheetClosed()});
        EXPECT_TRUE(enabledByClick);
        EXPECT_FALSE(enabledAfterApply);
        EXPECT_EQ(whileOpen, c.applied) << "written by Apply, the sheet still open";
        EXPECT_EQ(ReadStoredSettings(), c.applied) << "Cancel keeps what Apply wrote";
    }
}

TEST_F(GeneralPage, SwitchingOffThatDidNotHappenIsTold) {
    StoreSettings(true, true);
    // A key that holds a subkey cannot be removed, as under a restricted account.
    unique_hkey child;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(kFolderHandlerKey) + "\\child").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
              ERROR_SUCCESS);
    child.reset();
    Answered told;
    bool boxAfter = true;
    RunSheet({ClickOn(kGeneralPage, IDC_ENABLE), ClickOn(kGeneralPage, IDC_STYLE_DIRECT), Press(PSBTN_APPLYNOW),
              AnswerBox(kErrorCaption, IDOK, told),
              Do([&] { boxAfter = Checked(PageAt(kGeneralPage), IDC_ENABLE); }), Press(PSBTN_CANCEL), SheetClosed()});
    EXPECT_TRUE(told.seen);
    EXPECT_EQ(told.text,
              "Wayleap could not switch the menu on or off: changing this needs administrator rights. Start Wayleap as "
              "an administrator and try again.");
    EXPECT_EQ(told.owner, sheet);
    EXPECT_EQ(boxAfter, ReadSettings().enabled) << "the box shows what is in force";
    EXPECT_EQ(ReadStoredSettings().submenu, "0") << "the menu style is written all the same";
}

// ---------------------------------------------------------------------------
// Who saves what

class SheetSaves : public ConfigSheetTest {
protected:
    const std::string kTwoFolders = Record("A", "C:\\Folders\\A", true, false) + Record("B", "D:\\B", false, true);
};

TEST_F(SheetSaves, OkWithoutVisitingFoldersLeavesTheFileUntouched) {
    // Bytes that a rewrite would not reproduce: CR LF line ends and blanks.
    const std::string bytes = "  A  \r\nC:\\Folders\\A|1|0\r\n";
    ASSERT_TRUE(WriteBytes(dataFile, bytes));
    DateBack(dataFile);
    const FILETIME before = LastWriteTime(dataFile);

    RunSheet({Press(PSBTN_OK), SheetClosed()});

    EXPECT_EQ(FileBytes(), bytes);
    EXPECT_TRUE(SameTime(LastWriteTime(dataFile), before)) << "the file was written";
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(false, true)) << "the General page always saves";
}

TEST_F(SheetSaves, VisitingFoldersAndOkRewritesTheFileFromTheListAsLoaded) {
    const struct {
        const char* what;
        bool exists;
        std::string before;
        std::string after;
    } cases[] = {
        {"as the program writes it", true, kTwoFolders, kTwoFolders},
        {"CR LF, blanks and an empty line", true, "  A \t\r\nC:\\Folders\\A|1|0\r\n\r\nB\r\n  D:\\B|0|1  \r\n",
         kTwoFolders},
        {"flags other than 1 read as off", true, "A\nC:\\Folders\\A|1|0\nB\nD:\\B|yes|1\n", kTwoFolders},
        {"an empty file", true, "", ""},
        {"no file yet", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(dataFile.c_str());
        if (c.exists) {
            ASSERT_TRUE(WriteBytes(dataFile, c.before));
            DateBack(dataFile);
        }
        const FILETIME before = LastWriteTime(dataFile);

        RunSheet({ShowPage(kFoldersPage), Press(PSBTN_OK), SheetClosed()});

        ASSERT_TRUE(FileExists(dataFile));
        EXPECT_EQ(FileBytes(), c.after);
        EXPECT_FALSE(SameTime(LastWriteTime(dataFile), before)) << "not rewritten";
    }
}

TEST_F(SheetSaves, CancelAfterApplyKeepsWhatApplySaved) {
    ASSERT_TRUE(WriteBytes(dataFile, kTwoFolders + Record("C", "E:\\C", false, false)));
    Answered first, second;
    std::string afterApply;
    const INT_PTR result = RunSheet({
        ShowPage(kFoldersPage),
        Do([&] { SelectRows(List(), {2}); }),
        ClickOn(kFoldersPage, IDC_DELETE),
        AnswerBox(kDeleteCaption, IDOK, first),
        Press(PSBTN_APPLYNOW),
        Do([&] { afterApply = FileBytes(); }),
        // Later changes on both pages, then Cancel.
        Do([&] { SelectRows(List(), {0}); }),
        ClickOn(kFoldersPage, IDC_DELETE),
        AnswerBox(kDeleteCaption, IDOK, second),
        ClickOn(kGeneralPage, IDC_ENABLE),
        Press(PSBTN_CANCEL),
        SheetClosed(),
    });
    EXPECT_TRUE(first.seen && second.seen);
    EXPECT_EQ(afterApply, kTwoFolders) << "Apply saved the list without C";
    EXPECT_EQ(FileBytes(), kTwoFolders);
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(false, true)) << "as Apply wrote it";
    EXPECT_EQ(result, 0);
}

TEST_F(SheetSaves, CancelWritesNothing) {
    ASSERT_TRUE(WriteBytes(dataFile, kTwoFolders));
    DateBack(dataFile);
    const FILETIME before = LastWriteTime(dataFile);
    Answered asked;
    RunSheet({ShowPage(kFoldersPage), Do([&] { SelectRows(List(), {0, 1}); }), ClickOn(kFoldersPage, IDC_DELETE),
              AnswerBox(kDeleteCaption, IDOK, asked), ClickOn(kGeneralPage, IDC_ENABLE), ShowPage(kAboutPage),
              Press(PSBTN_CANCEL), SheetClosed()});
    EXPECT_TRUE(asked.seen);
    EXPECT_EQ(FileBytes(), kTwoFolders);
    EXPECT_TRUE(SameTime(LastWriteTime(dataFile), before));
    EXPECT_EQ(ReadStoredSettings(), kNothingStored);
}

// ---------------------------------------------------------------------------
// The About page's link labels

class AboutPage : public ConfigSheetTest {
protected:
    HWND Label(int id) const { return GetDlgItem(PageAt(kAboutPage), id); }
    // The version line: a static text that is not a link.
    HWND PlainLabel() const { return FindWindowExA(PageAt(kAboutPage), nullptr, "Static", "Wayleap Version 0.6"); }
};

TEST_F(AboutPage, LinkLabelsAreDrawnBlueWithAnUnderlinedFont) {
    struct Look {
        LOGFONTA font = {};
        bool fontRead = false;
        COLORREF text = 0;
        bool brush = false;
    };
    Look web, mail, plain;
    auto look = [this](HWND label, Look& out) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
        out.fontRead = font && GetObjectA(font, sizeof out.font, &out.font) == sizeof out.font;
        HDC dc = GetDC(label);
        SetTextColor(dc, RGB(1, 2, 3));
        out.brush = SendMessageA(PageAt(kAboutPage), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(label)) != 0;
        out.text = GetTextColor(dc);
        ReleaseDC(label, dc);
    };
    RunSheet({ShowPage(kAboutPage), Do([&] {
                  ASSERT_NE(PlainLabel(), nullptr);
                  look(Label(IDC_WEB_LINK), web);
                  look(Label(IDC_MAIL_LINK), mail);
                  look(PlainLabel(), plain);
              }),
              Press(PSBTN_CANCEL), SheetClosed()});

    for (const Look* link : {&web, &mail}) {
        ASSERT_TRUE(link->fontRead);
        EXPECT_TRUE(link->font.lfUnderline);
        EXPECT_EQ(link->text, RGB(0, 0, 255));
        EXPECT_TRUE(link->brush);
    }
    ASSERT_TRUE(plain.fontRead);
    EXPECT_FALSE(plain.font.lfUnderline);
    EXPECT_NE(plain.text, RGB(0, 0, 255));
}

TEST_F(AboutPage, MovingTheMouseOverALinkShowsTheHandCursor) {
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_HAND_CURSOR));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(hand, nullptr);
    HCURSOR overWeb = nullptr, overMail = nullptr, overPlain = nullptr;
    auto over = [arrow](HWND label) {
        SetCursor(arrow);
        SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        return GetCursor();
    };
    RunSheet({ShowPage(kAboutPage), Do([&] {
                  overWeb = over(Label(IDC_WEB_LINK));
                  overMail = over(Label(IDC_MAIL_LINK));
                  overPlain = over(PlainLabel());
              }),
              Press(PSBTN_CANCEL), SheetClosed()});
    EXPECT_EQ(overWeb, hand);
    EXPECT_EQ(overMail, hand);
    EXPECT_EQ(overPlain, arrow);
}

// While it lives, the shell opens web and mail addresses with a copy of the
// stand-in program, which logs the address it was given.
class AddressOpener {
public:
    explicit AddressOpener(const std::string& dir) : program_(dir + "opener.exe") {
        EXPECT_TRUE(CopyFileA((OwnDir() + "shellext_stand_in.exe").c_str(), program_.c_str(), FALSE));
        for (const char* scheme : {"https", "mailto"}) Replace(scheme);
    }
    ~AddressOpener() {
        for (const Saved& saved : saved_) {
            if (!saved.existed) {
                RegDeleteKeyA(HKEY_CLASSES_ROOT, saved.key.c_str());
            } else {
                SetCommand(saved.key, saved.command);
            }
        }
    }
    AddressOpener(const AddressOpener&) = delete;
    AddressOpener& operator=(const AddressOpener&) = delete;

    // The addresses opened so far, one per line of the log.
    std::vector<std::string> Opened() const {
        std::vector<std::string> lines;
        const std::string text = ReadBytes(program_ + ".log");
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

private:
    struct Saved {
        std::string key;
        bool existed = false;
        std::string command;
    };
    void Replace(const char* scheme) {
        Saved saved;
        saved.key = std::string(scheme) + "\\shell\\open\\command";
        unique_hkey key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, saved.key.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
            saved.existed = true;
            char buffer[1024] = {};
            DWORD size = sizeof buffer - 1;
            RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
            saved.command = buffer;
        }
        saved_.push_back(saved);
        SetCommand(saved.key, "\"" + program_ + "\" \"%1\"");
    }
    static void SetCommand(const std::string& subKey, const std::string& command) {
        unique_hkey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }

    std::string program_;
    std::vector<Saved> saved_;
};

TEST_F(AboutPage, ClickingALinkOpensItsAddressOncePerClick) {
    AddressOpener opener(scratch.path());
    auto click = [](HWND label) {
        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    };
    // One click at a time: the stand-in logs a run once it has ended.
    auto logged = [&opener](std::size_t count) -> Step {
        return [&opener, count] { return opener.Opened().size() >= count; };
    };
    RunSheet({ShowPage(kAboutPage), Do([&] { click(Label(IDC_WEB_LINK)); }), logged(1),
              Do([&] { click(Label(IDC_MAIL_LINK)); }), logged(2), Do([&] { click(PlainLabel()); }),
              Do([&] { click(Label(IDC_WEB_LINK)); }), logged(3), Press(PSBTN_CANCEL), SheetClosed()});
    PumpFor(300);
    EXPECT_EQ(opener.Opened(), (std::vector<std::string>{"2\thttps://wayleap.example/",
                                                          "2\tmailto:hello@wayleap.example",
                                                          "2\thttps://wayleap.example/"}))
        << "each link once per click; the version line opens nothing";
}

// Watches the About page's windows go: what procedure each link label has when
// it is destroyed, and whether the link font still exists once the page is gone.
struct Teardown {
    HWND page = nullptr;
    HWND labels[2] = {};
    LONG_PTR procAtDestroy[2] = {};
    bool seen[2] = {};
    HFONT font = nullptr;
    bool fontAliveAfterPage = true;
};
Teardown* g_teardown = nullptr;

LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_teardown) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_DESTROY) {
            for (int i = 0; i < 2; ++i) {
                if (message->hwnd == g_teardown->labels[i]) {
                    g_teardown->seen[i] = true;
                    g_teardown->procAtDestroy[i] = GetWindowLongPtrA(message->hwnd, GWLP_WNDPROC);
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AboutPage, ClosingGivesTheLabelsTheirProceduresBackAndDeletesTheFont) {
    Teardown watch;
    LONG_PTR plainProc = 0;
    LONG_PTR linkProcWhileOpen = 0;
    g_teardown = &watch;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchDestroy, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RunSheet({ShowPage(kAboutPage), Do([&] {
                  watch.page = PageAt(kAboutPage);
                  watch.labels[0] = Label(IDC_WEB_LINK);
                  watch.labels[1] = Label(IDC_MAIL_LINK);
                  watch.font = reinterpret_cast<HFONT>(SendMessageA(watch.labels[0], WM_GETFONT, 0, 0));
                  plainProc = GetWindowLongPtrA(PlainLabel(), GWLP_WNDPROC);
                  linkProcWhileOpen = GetWindowLongPtrA(watch.labels[0], GWLP_WNDPROC);
              }),
              Press(PSBTN_CANCEL), SheetClosed()});
    UnhookWindowsHookEx(hook);
    g_teardown = nullptr;

    EXPECT_NE(linkProcWhileOpen, plainProc) << "the link labels have their own procedure while the page exists";
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(watch.seen[i]);
        EXPECT_EQ(watch.procAtDestroy[i], plainProc) << "label " << i;
    }
    ASSERT_NE(watch.font, nullptr);
    EXPECT_EQ(GetObjectType(watch.font), 0u) << "the link font was not deleted";
}

}  // namespace

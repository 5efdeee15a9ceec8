// SkipdoorCM.dll's add-folder dialog, opened by "Add to Wayleap..." and driven
// from a timer: what it proposes, how the name and the two check boxes end up
// in FolderList.dat byte for byte, and that it never saves over a list it did
// not read whole and says so when a save fails.
#include <gtest/gtest.h>

#include <windows.h>
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

const char kAddCaption[] = "Wayleap - Add new folder";
const char kErrorCaption[] = "Wayleap - Error";
const char kListNotRead[] =
    "Wayleap could not read your folder list (FolderList.dat) completely, so nothing was changed. Close programs "
    "that may be using it and try again.";
const char kSaveFailed[] =
    "Wayleap could not save your folder list (FolderList.dat). The folder was not added and the list is unchanged. "
    "Close programs that may be using it and try again.";
const char kListFull[] = "Your folder list is full: FolderList.dat cannot hold another folder. The folder was not added.";

constexpr int kName = 201;
constexpr int kPath = 202;
constexpr int kExpand = 204;
constexpr int kSort = 205;
constexpr UINT kAddOffset = 1;

// An entry already in the file, and its bytes.
const char kExistingBytes[] = "Existing\nC:\\Existing|1|0\n";

std::string Record(const std::string& name, const std::string& path, bool expand, bool sort) {
    return name + "\n" + path + "|" + (expand ? "1" : "0") + "|" + (sort ? "1" : "0") + "\n";
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// What the dialog showed when it came up.
struct Proposal {
    HWND owner = nullptr;
    bool ownerEnabled = true;
    std::string path;
    std::string name;
    DWORD selFrom = 1, selTo = 0;
    LRESULT nameLimit = 0;
    bool nameFocused = false;
    bool expandChecked = true;
    bool sortChecked = true;
    bool sortEnabled = true;
};

// What a message box showed, and who owned it.
struct Message {
    bool seen = false;
    std::string text;
    HWND owner = nullptr;
};

class AddDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SetMenuStyle(true);
        for (const std::string& dir : {pick, multi, multi + "\\A", multi + "\\B", multi + "\\C"}) {
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        ASSERT_TRUE(WriteBytes(multi + "\\f.txt", "x"));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WayleapAddOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "WayleapAddOwner", "Wayleap test owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                                400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        if (owner) DestroyWindow(owner);
    }

    void WriteExisting() { ASSERT_TRUE(WriteBytes(dll.dataFile(), kExistingBytes)); }
    std::string FileBytes() const { return ReadBytes(dll.dataFile()); }

    // A handler initialized for a click on the background of `folder`, with its menu built.
    std::unique_ptr<Handler> HandlerFor(const std::string& folder) {
        auto h = std::make_unique<Handler>();
        BuiltMenu menu;
        BuildMenu(*h, folder, menu);
        return h;
    }

    // Steps that wait for the dialog and note what it proposes.
    TimerScript::Step WaitForDialog(HWND& dialog, Proposal& seen) {
        return [this, &dialog, &seen] {
            dialog = FindThreadDialog(kAddCaption);
            if (!dialog) return false;
            seen.owner = GetWindow(dialog, GW_OWNER);
            seen.ownerEnabled = IsWindowEnabled(owner) != FALSE;
            seen.path = TextOf(GetDlgItem(dialog, kPath));
            HWND name = GetDlgItem(dialog, kName);
            seen.name = TextOf(name);
            SendMessageA(name, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selFrom),
                         reinterpret_cast<LPARAM>(&seen.selTo));
            seen.nameLimit = SendMessageA(name, EM_GETLIMITTEXT, 0, 0);
            seen.nameFocused = GetFocus() == name;
            seen.expandChecked = Checked(dialog, kExpand);
            seen.sortChecked = Checked(dialog, kSort);
            seen.sortEnabled = IsWindowEnabled(GetDlgItem(dialog, kSort)) != FALSE;
            return true;
        };
    }
    // Presses a button the way a click does, without running what follows
    // (a message box, the end of the dialog) inside the step.
    static TimerScript::Step Press(const HWND& dialog, int id) {
        return [&dialog, id] {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
            return true;
        };
    }
    static TimerScript::Step Gone(const HWND& dialog) {
        return [&dialog] { return !IsWindow(dialog); };
    }
    static TimerScript::Step DismissError(Message& message) {
        return [&message] {
            HWND box = FindThreadDialog(kErrorCaption);
            if (!box) return false;
            message.seen = true;
            message.text = MessageBoxText(box);
            message.owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        };
    }

    // Runs "Add to Wayleap..." on `h` with the steps driving the dialog.
    void RunDialog(Handler& h, std::vector<TimerScript::Step> steps) {
        TimerScript script(std::move(steps));
        EXPECT_EQ(InvokeOffset(h.menu, owner, kAddOffset), S_OK);
        EXPECT_TRUE(script.RunToEnd());
    }

    ScratchDir scratch;
    InstalledDll dll{scratch / "dll\\"};
    const std::string pick = scratch / "Pick";
    const std::string multi = scratch / "Multi";
    HWND owner = nullptr;
};

// ---------------------------------------------------------------------------
// The proposal

TEST_F(AddDialog, ProposesTheClickedFolderAsPathAndAsTheSelectedName) {
    WriteExisting();
    std::unique_ptr<Handler> h = HandlerFor(pick);
    HWND dialog = nullptr;
    Proposal seen;
    RunDialog(*h, {WaitForDialog(dialog, seen),
                   [&] {
                       Snapshot("add-folder-dialog", dialog);
                       return true;
                   },
                   Press(dialog, IDCANCEL), Gone(dialog)});

    EXPECT_EQ(seen.owner, owner);
    EXPECT_FALSE(seen.ownerEnabled) << "modal to its owner";
    EXPECT_EQ(seen.path, pick);
    EXPECT_EQ(seen.name, pick);
    EXPECT_EQ(seen.selFrom, 0u);
    EXPECT_EQ(seen.selTo, pick.size()) << "the whole name selected";
    EXPECT_EQ(seen.nameLimit, 260);
    EXPECT_TRUE(seen.nameFocused);
    EXPECT_FALSE(seen.expandChecked);
    EXPECT_FALSE(seen.sortChecked);
    EXPECT_FALSE(seen.sortEnabled);
    EXPECT_EQ(FileBytes(), kExistingBytes) << "Cancel changes nothing";
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(AddDialog, ProposesTheLastOfSeveralSelectedFoldersAndAddsOneEntry) {
    const struct {
        const char* what;
        std::vector<std::string> names;
        const char* proposed;
    } cases[] = {
        {"three folders", {"A", "B", "C"}, "C"},
        {"a file selected last", {"A", "B", "f.txt"}, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteExisting();
        Handler h;
        ASSERT_TRUE(h);
        IDataObject* data = DataObjectFor(multi, c.names);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(h.init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        BuiltMenu menu;
        QueryMenu(h, menu);

        const std::string proposed = multi + "\\" + c.proposed;
        HWND dialog = nullptr;
        Proposal seen;
        RunDialog(h, {WaitForDialog(dialog, seen), Press(dialog, IDOK), Gone(dialog)});
        EXPECT_EQ(seen.path, proposed);
        EXPECT_EQ(FileBytes(), kExistingBytes + Record(proposed, proposed, false, false));
    }
}

TEST_F(AddDialog, NothingSelectedShowsNothing) {
    WriteExisting();
    Handler h;
    ASSERT_TRUE(h);
    IDataObject* data = DataObjectFor(multi, {"f.txt"});  // a file: no folder selected
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(h.init->Initialize(nullptr, data, nullptr), S_OK);
    data->Release();
    BuiltMenu menu;
    QueryMenu(h, menu);

    DialogSentinel sentinel;
    EXPECT_EQ(InvokeOffset(h.menu, owner, kAddOffset), S_OK);
    PumpFor(100);
    EXPECT_TRUE(sentinel.seen.empty()) << sentinel.seen.front();
    EXPECT_EQ(FileBytes(), kExistingBytes);
}

// ---------------------------------------------------------------------------
// What is stored

TEST_F(AddDialog, StoresTheEntryAfterTheExistingOnesByteForByte) {
    const struct {
        const char* what;
        const char* typed;  // or null: the proposal is kept
        std::vector<int> clicks;
        const char* stored;  // or null: the path
        bool expand, sort;
        bool sortEnabled;  // the sort box when Add is pressed
    } cases[] = {
        {"the proposal as it is", nullptr, {}, nullptr, false, false, false},
        {"a name with outer blanks", " \t My  place\t ", {}, "My  place", false, false, false},
        {"expanded", "Mine", {kExpand}, "Mine", true, false, true},
        {"expanded and sorted", "Mine", {kExpand, kSort}, "Mine", true, true, true},
        {"sorted, then not expanded: sort kept", "Mine", {kExpand, kSort, kExpand}, "Mine", false, true, false},
        {"expanded twice over", "Mine", {kExpand, kExpand, kExpand}, "Mine", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteExisting();
        std::unique_ptr<Handler> h = HandlerFor(pick);
        HWND dialog = nullptr;
        Proposal seen;
        bool sortEnabled = false, sortChecked = false;
        std::vector<TimerScript::Step> steps = {WaitForDialog(dialog, seen)};
        if (c.typed) {
            steps.push_back([&dialog, &c] {
                SetDlgItemTextA(dialog, kName, c.typed);
                return true;
            });
        }
        for (int id : c.clicks) {
            steps.push_back([&dialog, id] {
                SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
                return true;
            });
        }
        steps.push_back([&] {
            sortEnabled = IsWindowEnabled(GetDlgItem(dialog, kSort)) != FALSE;
            sortChecked = Checked(dialog, kSort);
            return true;
        });
        steps.push_back(Press(dialog, IDOK));
        steps.push_back(Gone(dialog));
        RunDialog(*h, std::move(steps));

        EXPECT_EQ(sortEnabled, c.sortEnabled);
        EXPECT_EQ(sortChecked, c.sort) << "the sort box keeps its mark";
        const std::string name = c.stored ? c.stored : pick;
        EXPECT_EQ(FileBytes(), kExistingBytes + Record(name, pick, c.expand, c.sort));
    }
}

TEST_F(AddDialog, WithoutAListFileStartsOne) {
    std::unique_ptr<Handler> h = HandlerFor(pick);
    HWND dialog = nullptr;
    Proposal seen;
    RunDialog(*h, {WaitForDialog(dialog, seen),
                   [&dialog] {
                       SetDlgItemTextA(dialog, kName, "First");
                       return true;
                   },
                   Press(dialog, IDOK), Gone(dialog)});
    EXPECT_EQ(FileBytes(), Record("First", pick, false, false));
}

TEST_F(AddDialog, BlankNameAddsNothing) {
    for (const char* typed : {"", "   ", " \t "}) {
        SCOPED_TRACE(std::string("name \"") + typed + "\"");
        WriteExisting();
        std::unique_ptr<Handler> h = HandlerFor(pick);
        HWND dialog = nullptr;
        Proposal seen;
        Message message;
        RunDialog(*h, {WaitForDialog(dialog, seen),
                       [&dialog, typed] {
                           SetDlgItemTextA(dialog, kName, typed);
                           return true;
                       },
                       Press(dialog, IDOK),
                       [&] {
                           if (FindThreadDialog(kErrorCaption)) message.seen = true;
                           return !IsWindow(dialog);
                       }});
        EXPECT_FALSE(message.seen) << "no message";
        EXPECT_EQ(FileBytes(), kExistingBytes);
    }
}

// ---------------------------------------------------------------------------
// Lists that must not be saved over, and saves that fail

TEST_F(AddDialog, ListNotReadWholeIsNeverSavedOver) {
    const std::string partial = std::string(kExistingBytes) + std::string(300, 'n') + "\nC:\\Lost|0|0\n";
    const struct {
        const char* what;
        std::string bytes;
        bool heldDuringInitialize;
    } cases[] = {
        {"a line too long: read in part", partial, false},
        {"held open by another program while the menu was built", kExistingBytes, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(dll.dataFile(), c.bytes));
        std::unique_ptr<Handler> h;
        {
            unique_file held;
            if (c.heldDuringInitialize) {
                held.reset(CreateFileA(dll.dataFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
                ASSERT_TRUE(held);
            }
            h = HandlerFor(pick);
        }
        Message message;
        bool addDialogShown = false;
        RunDialog(*h, {[&] {
                           if (FindThreadDialog(kAddCaption)) addDialogShown = true;
                           return DismissError(message)();
                       },
                       [&] {
                           if (FindThreadDialog(kAddCaption)) addDialogShown = true;
                           return true;
                       }});
        EXPECT_TRUE(message.seen);
        EXPECT_EQ(message.text, kListNotRead);
        EXPECT_FALSE(addDialogShown) << "the dialog ends before it is shown";
        EXPECT_EQ(FileBytes(), c.bytes) << "the file was written";
    }
}

TEST_F(AddDialog, FailedSaveIsReportedAndTheDialogStaysForAnotherTry) {
    WriteExisting();
    std::unique_ptr<Handler> h = HandlerFor(pick);
    HWND dialog = nullptr;
    Proposal seen;
    Message message;
    unique_file reader;
    std::string bytesWhileBusy;
    bool stayedOpen = false;
    RunDialog(*h, {WaitForDialog(dialog, seen),
                   [&] {
                       SetDlgItemTextA(dialog, kName, "New");
                       // Another program reads the list while Add is pressed.
                       reader.reset(CreateFileA(dll.dataFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
                       EXPECT_TRUE(reader);
                       return true;
                   },
                   Press(dialog, IDOK), DismissError(message),
                   [&] {
                       if (FindThreadDialog(kErrorCaption)) return false;
                       stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
                       reader.reset();
                       bytesWhileBusy = FileBytes();
                       return true;
                   },
                   Press(dialog, IDOK), Gone(dialog)});
    EXPECT_TRUE(message.seen);
    EXPECT_EQ(message.text, kSaveFailed);
    EXPECT_EQ(message.owner, dialog) << "owned by the add dialog";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(bytesWhileBusy, kExistingBytes) << "the file stays as it was";
    EXPECT_EQ(FileBytes(), kExistingBytes + Record("New", pick, false, false)) << "the second try saves";
    EXPECT_TRUE(FilesMatching(dll.dir(), "*.tmp").empty()) << "no temporary file left";
}

TEST_F(AddDialog, FullListIsReportedAndLeftAsItWas) {
    // Records of 255 bytes up to the 64 KiB the reader takes; what is left is
    // less than one more record of a 250-byte name.
    FolderList list;
    std::size_t size = 0;
    for (int i = 0; size + 255 <= 65536; ++i) {
        char name[16];
        wsprintfA(name, "N%05d", i);
        const std::string path = "C:\\" + std::string(255 - 6 - 1 - 3 - 5, 'p');
        list.Append({name, path, false, false});
        size += 255;
    }
    WriteFolderList(dll, list);
    const std::string before = FileBytes();
    ASSERT_EQ(before.size(), size);
    std::unique_ptr<Handler> h = HandlerFor(pick);

    HWND dialog = nullptr;
    Proposal seen;
    Message message;
    RunDialog(*h, {WaitForDialog(dialog, seen),
                   [&dialog] {
                       SetDlgItemTextA(dialog, kName, std::string(250, 'x').c_str());
                       return true;
                   },
                   Press(dialog, IDOK), DismissError(message), Press(dialog, IDCANCEL), Gone(dialog)});
    EXPECT_EQ(message.text, kListFull);
    EXPECT_EQ(FileBytes(), before);
}

}  // namespace

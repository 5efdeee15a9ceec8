// "Add to Wayleap..." shows the add-folder dialog: it adds the selected
// folder, never saves over a list it did not read whole, reports a failed
// save, refuses what the code page cannot hold, and leaves the file byte for
// byte as it was when cancelled or refused.
#include "tests/wine/shellext_fixture.h"

#include "win/code_page.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

const char kExisting[] = "Existing\nC:\\Existing|1|0\n";

class AddDialog : public InvokeTest {
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

    HostWindow owner{"WayleapTestPlain"};
    HWND dialog = nullptr;
    std::string error;
};

TEST_F(AddDialog, AddsTheLastSelectedFolder) {
    WriteBytes(dataFile, kExisting);
    MakeDirs("Target", {"A", "B"});
    WriteBytes(target + "\\c.txt", "");  // selected after the folders: the last folder is B
    // Last of all a folder whose path does not fit MAX_PATH: skipped, never cut short.
    const std::wstring longName(250, L'n');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + AnsiToWide(target) + L"\\" + longName).c_str(), nullptr));
    Select(AnsiToWide(target), {L"A", L"B", L"c.txt", longName});
    Run({Dialog(),
         [this] {
             SetDlgItemTextA(dialog, 201, " Mine ");
             EXPECT_EQ(SendDlgItemMessageA(dialog, 201, EM_GETLIMITTEXT, 0, 0), MAX_PATH) << "the name's limit";
             return SendDlgItemMessageA(dialog, 204, BM_CLICK, 0, 0), true;  // "Expand sub-folders"
         },
         Press(IDOK), steps::Gone(dialog)});
    EXPECT_EQ(ReadBytes(dataFile), std::string(kExisting) + "Mine\n" + target + "\\B|1|0\n");
}

// The file changed since the menu was built (Wayleap.exe saved, or another
// menu added): the entry goes after what the file holds now; a folder listed
// meanwhile is told and nothing is saved.
TEST_F(AddDialog, AppendsToAFileChangedSinceTheMenu) {
    WriteBytes(dataFile, kExisting);
    Select(target);
    const std::string now = std::string(kExisting) + "Theirs\nC:\\Theirs|0|0\n";
    WriteBytes(dataFile, now);
    Run({Dialog(), [this] { return SetDlgItemTextA(dialog, 201, "Mine"), true; }, Press(IDOK),
         steps::Gone(dialog)});
    EXPECT_EQ(ReadBytes(dataFile), now + "Mine\n" + target + "|0|0\n");

    Select(target);
    WriteBytes(dataFile, now + "Listed\n" + target + "|0|0\n");
    Run({Dialog(), Press(IDOK), CloseError(error), steps::Gone(dialog)});
    EXPECT_EQ(error.substr(0, 40), "This folder is in your folder list alrea");
    EXPECT_EQ(ReadBytes(dataFile), now + "Listed\n" + target + "|0|0\n");
}

// A list not read whole is never saved over: not one the menu could not read
// (held open by another program then), nor one read again at Add because it
// had changed since the menu (now with a line too long).
TEST_F(AddDialog, ListNotReadWholeIsNeverSavedOver) {
    const std::string notRead = "Wayleap could not read your folder list (FolderList.dat) completely, so nothing was "
                                "changed. Close programs that may be using it and try again.";
    WriteBytes(dataFile, kExisting);
    {
        unique_file holder(CreateFileA(dataFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr));
        Select(target);
    }
    Run({CloseError(error)});
    EXPECT_EQ(error, notRead) << "held while the menu was built";
    EXPECT_EQ(ReadBytes(dataFile), kExisting);

    Select(target);
    const std::string partial = std::string(kExisting) + std::string(300, 'n') + "\nC:\\Lost|0|0\n";
    WriteBytes(dataFile, partial);
    error.clear();
    Run({Dialog(), Press(IDOK), CloseError(error), [this] { return IsWindowVisible(dialog) != FALSE; },
         Press(IDCANCEL), steps::Gone(dialog)});
    EXPECT_EQ(error, notRead) << "a line too long since the menu";
    EXPECT_EQ(ReadBytes(dataFile), partial);
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
         Press(IDCANCEL), steps::Gone(dialog)});
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
                 [&] { return IsWindowVisible(dialog) != FALSE; }, Press(IDCANCEL), steps::Gone(dialog)});
        } else {
            Run({CloseError(error)});
        }
        EXPECT_EQ(error, c.told);
        EXPECT_EQ(ReadBytes(dataFile), list);
    }
}

}  // namespace

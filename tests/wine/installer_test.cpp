// WayleapSetup.exe as a user runs it, in the 64-bit prefix of the x86_64 tree:
// a silent install into C:\Wayleap (a path without spaces: Wine quotes
// arguments with spaces again), the menu switched on in the installed
// Wayleap.exe, an install over the installation, and silent uninstalls with
// and without the user's data. A 32-bit and a 64-bit probe show what programs
// of each bitness get from the installed class.
//   installer_test SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]
#include <shlobj.h>

#include <cstdio>

#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

std::string g_setup, g_probes[2];  // the i686 and the x86_64 probe

const std::string kDir = "C:\\Wayleap";
const std::string kDataFile = kDir + "\\FolderList.dat";
const std::string kUninstaller = kDir + "\\uninstall.exe";
// What is installed; the i686 and the x86_64 DLL second and third.
const std::string kFiles[] = {"Wayleap.exe", "SkipdoorCM.dll", "SkipdoorCM64.dll", "uninstall.exe"};
const std::string kClassKeys[] = {std::string("CLSID\\") + kHandlerClsidText, "SkipdoorCM.SkipdoorCMH",
                                  "SkipdoorCM.SkipdoorCMH.1", "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}"};
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wayleap";
const std::string kTwoEntries =
    Record("Windows", "C:\\windows", false, false) + Record("Users", "C:\\users", false, true);

bool KeyExists(HKEY root, const std::string& subKey, REGSAM view = 0) {
    unique_hkey key;
    return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// The Start-menu shortcut of the user who installed.
std::string Shortcut() {
    char dir[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, dir);
    return std::string(dir) + "\\Wayleap.lnk";
}

int Install() { return RunAndWait("\"" + g_setup + "\" /S /D=" + kDir); }

// Runs the installed uninstaller silently. It copies itself to the temp
// directory, starts the copy (which does the work and can delete
// uninstall.exe) and ends at once; the copy's last step removes the Apps entry.
bool Uninstall(const std::string& options = {}) {
    return RunAndWait("\"" + kUninstaller + "\" /S" + options) == 0 &&
           PumpUntil([] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey); }, 30000);
}

// What the probe of one bitness wrote for a right-click on C:\, after its exit code.
std::string Probe(const std::string& probe, const std::string& out) {
    const int code = RunAndWait("\"" + probe + "\" \"" + out + "\"");
    return "exit " + std::to_string(code) + "\n" + ReadBytes(out);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override { RemoveTree(kDir + "\\"); CleanSettings(); }
    void TearDown() override {
        if (program) TerminateProcess(program.get(), 1);
        if (FileExists(kUninstaller)) Uninstall(" /REMOVEDATA");
    }
    unique_file program;
};

TEST_F(Installer, InstallsRegistersEachViewAndKeepsTheUsersList) {
    ASSERT_EQ(Install(), 0) << g_setup;
    for (const std::string& name : kFiles) EXPECT_TRUE(FileExists(kDir + "\\" + name)) << name;
    EXPECT_TRUE(FileExists(Shortcut()));
    EXPECT_EQ(ReadStoredSettings(), kNothingStored) << "installing does not switch the menu on";

    // The user switches the menu on in the installed Wayleap.exe.
    DWORD processId = 0;
    program = StartProcess("\"" + kDir + "\\Wayleap.exe\"", kDir, &processId);
    HWND sheet = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (sheet = FindProcessDialog(processId, kSheetCaption)) != nullptr; }, 30000));
    const HWND general = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SendMessageTimeoutA(GetDlgItem(general, IDC_ENABLE), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_EQ(WaitForSingleObject(program.get(), 30000), WAIT_OBJECT_0) << "Wayleap.exe did not end";
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, true));

    // Installed over, with the user's list in place and the 64-bit DLL damaged
    // and unregistered: the program is repaired, the list and settings kept.
    ASSERT_TRUE(WriteBytes(kDataFile, kTwoEntries));
    ASSERT_TRUE(WriteBytes(kDir + "\\SkipdoorCM64.dll", "damaged"));
    RegDeleteKeyExA(HKEY_CLASSES_ROOT, (kClassKeys[0] + "\\InprocServer32").c_str(), KEY_WOW64_64KEY, 0);
    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, true));
    // A 32-bit and a 64-bit program each get their own view's DLL, which shows the list in its submenu.
    ScratchDir scratch;
    for (int bits : {0, 1}) {
        const std::string seen = Probe(g_probes[bits], scratch / "probe.txt");
        const std::string menu = "\nitem Wayleap\n  item [&0] Windows\n  item [&1] Users\n";
        EXPECT_NE(seen.find("exit 0\nmodule " + kDir + "\\" + kFiles[1 + bits] + menu), std::string::npos) << seen;
    }

    // Uninstalled silently: all goes but the list and the menu style.
    ASSERT_TRUE(Uninstall());
    for (const std::string& name : kFiles) EXPECT_FALSE(FileExists(kDir + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(Shortcut()));
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        for (const std::string& key : kClassKeys) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key, view)) << key;
    }
    EXPECT_EQ(ReadStoredSettings(), (StoredSettings{"<none>", "<none>", "1"}));
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);

    // Installed again the list is there; /REMOVEDATA takes it, the settings and the folder.
    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    ASSERT_TRUE(Uninstall(" /REMOVEDATA"));
    EXPECT_FALSE(FileExists(kDir));
    EXPECT_EQ(ReadStoredSettings(), kNothingStored);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]\n", argv[0]);
        return 2;
    }
    g_setup = WinePath(argv[1]);
    g_probes[0] = WinePath(argv[2]);
    g_probes[1] = WinePath(argv[3]);
    return RUN_ALL_TESTS();
}

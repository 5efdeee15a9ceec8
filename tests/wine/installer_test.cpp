// WayleapSetup.exe as a user runs it, in the 64-bit prefix of the x86_64 tree:
// a silent install for the user alone into C:\Wayleap (a path without spaces:
// Wine quotes arguments with spaces again), the menu switched on in the
// installed Wayleap.exe, an install over the installation, and silent
// uninstalls with and without the user's data. Wine has no User Account
// Control, so the proof is the registry: nothing of Wayleap's under
// HKEY_LOCAL_MACHINE, all of it under the user's classes, each DLL's class in
// its own view. A 32-bit and a 64-bit probe find the class as Windows' merged
// view gives it to programs of each bitness.
//   installer_test SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]
#include <shlobj.h>

#include <cstdio>
#include <algorithm>
#include <functional>

#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/registry_classes.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

std::string g_setup, g_probes[2];  // the i686 and the x86_64 probe

const std::string kDir = "C:\\Wayleap";
const std::string kDataFile = kDir + "\\FolderList.dat";
const std::string kUninstaller = kDir + "\\uninstall.exe";
// What is installed; the i686 and the x86_64 DLL second and third.
const std::string kFiles[] = {"Wayleap.exe", "SkipdoorCM.dll", "SkipdoorCM64.dll", "uninstall.exe"};
const std::string kClass = std::string("CLSID\\") + kHandlerClsidText;
// Under the user's classes (64-bit view): the 32-bit and the 64-bit DLL's
// class, the ProgIDs, the type library and the handler keys.
const std::string kUserKeys[] = {"Wow6432Node\\" + kClass, kClass, "SkipdoorCM.SkipdoorCMH", "SkipdoorCM.SkipdoorCMH.1",
                                 "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}", kFolderHandlerKey,
                                 kBackgroundHandlerKey};
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wayleap";
const std::string kTwoEntries =
    Record("Windows", "C:\\windows", false, false) + Record("Users", "C:\\users", false, true);

bool KeyExists(HKEY root, const std::string& subKey, REGSAM view = 0) {
    unique_hkey key;
    return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// Every key and string value under HKEY_LOCAL_MACHINE, in both views, that
// names Wayleap: its CLSID, its type library, its ProgIDs or its files.
// Links are not followed, so each key is seen once.
std::vector<std::string> MachineTraces() {
    std::vector<std::string> found;
    const auto names = [](std::string text) {
        CharUpperA(&text[0]);
        const char* marks[] = {"6A1E27C4-93B5", "0D4B9E72-1F6C", "SKIPDOORCM", "WAYLEAP"};
        return std::any_of(std::begin(marks), std::end(marks), [&](const char* m) { return text.find(m) != text.npos; });
    };
    std::function<void(HKEY, const std::string&, REGSAM)> walk = [&](HKEY parent, const std::string& path, REGSAM view) {
        char name[512];
        BYTE data[2048];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
            const LONG read = RegEnumValueA(parent, i, name, &nameSize, nullptr, &type, data, &dataSize);
            if (read != ERROR_SUCCESS && read != ERROR_MORE_DATA) break;
            data[read == ERROR_SUCCESS ? dataSize : 0] = 0;
            if (names(name) || ((type == REG_SZ || type == REG_EXPAND_SZ) && names(reinterpret_cast<char*>(data)))) {
                found.push_back(path + " " + name);
            }
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name;
            if (RegEnumKeyExA(parent, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (names(name)) found.push_back(path + "\\" + name);
            if (lstrcmpiA(name, "Wow6432Node") == 0) continue;  // the other view, walked in its own right
            unique_hkey child;
            if (RegOpenKeyExA(parent, name, REG_OPTION_OPEN_LINK, KEY_READ | view, child.put()) == ERROR_SUCCESS) {
                walk(child.get(), path + "\\" + name, view);
            }
        }
    };
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) walk(HKEY_LOCAL_MACHINE, "HKLM", view);
    return found;
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

// A probe of that bitness (0: 32-bit, 1: 64-bit), right-clicking C:\, loads
// its own DLL, which shows the installed list in its submenu.
void ExpectProbed(int bits) {
    ScratchDir scratch;
    const int code = RunAndWait("\"" + g_probes[bits] + "\" \"" + scratch / "probe.txt" + "\"");
    const std::string seen = "exit " + std::to_string(code) + "\n" + ReadBytes(scratch / "probe.txt");
    const std::string expected =
        "exit 0\nmodule " + kDir + "\\" + kFiles[1 + bits] + "\nitem Wayleap\n  item [&0] Windows\n  item [&1] Users\n";
    EXPECT_EQ(seen.substr(0, expected.size()), expected);
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

TEST_F(Installer, InstallsForTheUserAloneAndRemovesAllItWrote) {
    const std::vector<std::string> machineBefore = MachineTraces();
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
    ASSERT_EQ(ExitCodeOf(program.get(), 30000), 0) << "Wayleap.exe's exit code (-1: it did not end)";
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, "<none>"));
    EXPECT_EQ(MachineTraces(), machineBefore) << "nothing of Wayleap's under HKEY_LOCAL_MACHINE";

    // Installed over, with the user's list in place and the 64-bit DLL damaged
    // and unregistered: the program is repaired, the list and settings kept.
    // An earlier version is registered for every user meanwhile.
    ASSERT_TRUE(WriteBytes(kDataFile, kTwoEntries));
    ASSERT_TRUE(WriteBytes(kDir + "\\SkipdoorCM64.dll", "damaged"));
    RegDeleteKeyExA(HKEY_CURRENT_USER, ("Software\\Classes\\" + kClass + "\\InprocServer32").c_str(), KEY_WOW64_64KEY, 0);
    const std::string machineClass = "Software\\Classes\\" + kClass;
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        unique_hkey key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (machineClass + "\\InprocServer32").c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Old\\SkipdoorCM.dll"), 23);
    }
    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, "<none>"));
    // A 32-bit and a 64-bit program each get their own view's DLL from the
    // user's classes, which come first, and it shows the list in its submenu.
    for (int bits : {0, 1}) ExpectProbed(bits);
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, machineClass, view)) << "an administrator's to remove";
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (machineClass + "\\InprocServer32").c_str(), view, 0);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, machineClass.c_str(), view, 0);
    }

    // Uninstalled silently: all goes but the list.
    ASSERT_TRUE(Uninstall());
    for (const std::string& name : kFiles) EXPECT_FALSE(FileExists(kDir + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(Shortcut()));
    for (const std::string& key : kUserKeys) EXPECT_EQ(ClassesValue(false, key), "<none>") << key;
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);

    // Installed again, with the DLLs then deleted by hand: the uninstaller
    // still removes their registration; /REMOVEDATA takes the list, the
    // settings and the folder.
    ASSERT_EQ(Install(), 0);
    for (int bits : {0, 1}) ASSERT_TRUE(DeleteFileA((kDir + "\\" + kFiles[1 + bits]).c_str()));
    ASSERT_TRUE(Uninstall(" /REMOVEDATA"));
    for (const std::string& key : kUserKeys) EXPECT_EQ(ClassesValue(false, key), "<none>") << key;
    EXPECT_FALSE(FileExists(kDir));
    EXPECT_EQ(ReadStoredSettings(), kNothingStored);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    StartWatchdog();
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]\n", argv[0]);
        return 2;
    }
    g_setup = WinePath(argv[1]);
    g_probes[0] = WinePath(argv[2]);
    g_probes[1] = WinePath(argv[3]);
    return RUN_ALL_TESTS();
}

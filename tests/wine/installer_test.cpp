// WayleapSetup.exe run as a user runs it, in the 64-bit prefix of the x86_64
// tree: a silent install into C:\Wayleap (a path without spaces: Wine quotes
// arguments with spaces again), the menu switched on in the installed
// Wayleap.exe, the class made by a 32-bit and a 64-bit process, an install
// over an installation, and silent uninstalls with and without the user's data.
// Every case starts from a fresh install and ends with nothing of it left.
//   installer_test SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <prsht.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "config/resource_ids.h"
#include "core/registry_names.h"
#include "tests/wine/config_fixture.h"
#include "win/unique_handle.h"

using namespace wayleap;
using namespace wayleap::test;

namespace {

std::string g_setup;
std::string g_probe32;
std::string g_probe64;

const std::string kDir = "C:\\Wayleap";
const std::string kDataFile = kDir + "\\FolderList.dat";
const std::string kUninstaller = kDir + "\\uninstall.exe";
const std::string kProgramFiles[] = {"Wayleap.exe", "SkipdoorCM.dll", "SkipdoorCM64.dll", "uninstall.exe"};

const std::string kClassKey = std::string("CLSID\\") + kHandlerClsidText;
const std::string kServerKey = kClassKey + "\\InprocServer32";
const std::string kTypeLibKey = "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}";
const std::string kProgIdKeys[] = {"SkipdoorCM.SkipdoorCMH\\CLSID", "SkipdoorCM.SkipdoorCMH.1\\CLSID"};
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wayleap";

// The class as 32-bit and 64-bit programs see it, each through a probe of its
// own bitness: under Wine a 64-bit process that asks for the 32-bit view
// (KEY_WOW64_32KEY) finds only what is stored in Wow6432Node, not the keys
// both views share (the ProgIDs, Folder, Directory), which a 32-bit process
// does see. Each view's class must name that view's DLL.
struct Bitness {
    const char* name;
    const std::string& probe;
    const char* dll;
};
const Bitness kBitnesses[] = {{"32-bit process", g_probe32, "SkipdoorCM.dll"},
                              {"64-bit process", g_probe64, "SkipdoorCM64.dll"}};

// Two entries of folders that exist, as FolderList.dat stores them.
const std::string kTwoEntries = Record("Windows", "C:\\windows", false, false) + Record("Users", "C:\\users", false, true);

// ---------------------------------------------------------------------------
// Registry

// A string value; "<none>" when the key or the value is missing.
std::string ReadString(HKEY root, const std::string& subKey, const char* name) {
    unique_hkey key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "<none>";
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return "<none>";
    }
    return value;
}

bool KeyExists(HKEY root, const std::string& subKey) {
    unique_hkey key;
    return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Deletes `subKey` of `root` with everything under it, in `view`.
void DeleteTree(HKEY root, const std::string& subKey, REGSAM view = 0) {
    const std::size_t slash = subKey.find_last_of('\\');
    const std::string parentName = slash == std::string::npos ? std::string() : subKey.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? subKey : subKey.substr(slash + 1);
    unique_hkey parent;
    if (RegOpenKeyExA(root, parentName.c_str(), 0, KEY_ALL_ACCESS | view, parent.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeA(parent.get(), leaf.c_str());
}

std::string LongPath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer) : "<" + path + " not found>";
}

// ---------------------------------------------------------------------------
// Processes

std::string StartMenuShortcut() {
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::string(programs) + "\\Wayleap.lnk";
}

// The target of a shortcut file; empty when it cannot be read.
std::string ShortcutTarget(const std::string& link) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink)))) {
        return {};
    }
    std::string target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
            target = path;
        }
        file->Release();
    }
    shellLink->Release();
    return target;
}

int Install() { return RunAndWait("\"" + g_setup + "\" /S /D=" + kDir); }

// Runs the installed uninstaller silently. It copies itself to the temp
// directory, starts the copy (which does the work and can delete the
// installed uninstall.exe) and ends at once; the copy is its child process,
// waited for here. Returns the copy's exit code, or -1.
int Uninstall(const std::string& options = {}) {
    DWORD processId = 0;
    const unique_file process = StartProcess("\"" + kUninstaller + "\" /S" + options, {}, &processId);
    if (!process) return -1;
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);

    unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != processId) continue;
        HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!handle) continue;  // already ended
        unique_file copy(handle);
        if (WaitForSingleObject(copy.get(), 60000) != WAIT_OBJECT_0) return -1;
        GetExitCodeProcess(copy.get(), &code);
    }
    return static_cast<int>(code);
}

struct Output {
    int code = -1;
    std::string text;  // stdout and stderr, line ends as "\n"
};

// Runs a console program with its output in a pipe.
Output RunCapturing(const std::string& commandLine) {
    Output out;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return out;
    unique_file reader(readEnd);
    unique_file writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
        out.text = "cannot start " + commandLine;
        return out;
    }
    unique_file process(info.hProcess);
    CloseHandle(info.hThread);
    writer.reset();
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        out.text = "timed out: " + commandLine;
        return out;
    }
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    out.code = static_cast<int>(code);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) out.text.append(buffer, read);
    std::string text;
    for (char c : out.text) {
        if (c != '\r') text += c;
    }
    out.text = text;
    return out;
}

// What a probe printed: its registry lines by key, and all of its output.
struct Seen {
    int code = -1;
    std::string text;
    std::map<std::string, std::string> keys;
    std::string Key(const std::string& name) const {
        const auto found = keys.find(name);
        return found == keys.end() ? "<not printed>" : found->second;
    }
};

// Runs a probe: the registry as its bitness sees it, and with a folder also
// the class made and its menu built.
Seen Probe(const Bitness& bitness, const std::string& folder = {}) {
    const Output out = RunCapturing("\"" + bitness.probe + "\"" + (folder.empty() ? "" : " " + folder));
    Seen seen;
    seen.code = out.code;
    seen.text = out.text;
    std::size_t start = 0;
    while (start < out.text.size()) {
        std::size_t end = out.text.find('\n', start);
        if (end == std::string::npos) end = out.text.size();
        const std::string line = out.text.substr(start, end - start);
        const std::size_t equals = line.find(" = ");
        if (line.rfind("key ", 0) == 0 && equals != std::string::npos) {
            seen.keys[line.substr(4, equals - 4)] = line.substr(equals + 3);
        }
        start = end + 1;
    }
    return seen;
}

// ---------------------------------------------------------------------------

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        Scrub();
        ASSERT_EQ(Install(), 0) << g_setup;
    }

    void TearDown() override {
        if (program) {
            TerminateProcess(program.get(), 1);
            WaitForSingleObject(program.get(), 5000);
        }
        if (FileExists(kUninstaller)) Uninstall(" /REMOVEDATA");
        Scrub();
    }

    // Removes whatever an installation (or a failed case) left: the folder,
    // the class and both shell keys in both views, the settings, the
    // shortcut, the uninstall entry and the uninstallers' temporary copies.
    static void Scrub() {
        RemoveTree(kDir + "\\");
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            for (const std::string& key : {kClassKey, kTypeLibKey, std::string("SkipdoorCM.SkipdoorCMH"),
                                           std::string("SkipdoorCM.SkipdoorCMH.1"), std::string(kFolderHandlerKey),
                                           std::string(kBackgroundHandlerKey)}) {
                DeleteTree(HKEY_CLASSES_ROOT, key, view);
            }
        }
        DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
        DeleteTree(HKEY_CURRENT_USER, kUninstallKey);
        DeleteFileA(StartMenuShortcut().c_str());
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        // The copy's executable can be deleted only a moment after it ended.
        for (const std::string& name : FilesMatching(temp, "~nsu*.tmp")) {
            const std::string dir = temp + name + "\\";
            PumpUntil(
                [&] {
                    RemoveTree(dir);
                    return !FileExists(dir);
                },
                5000);
        }
    }

    // Starts the installed Wayleap.exe and waits for its sheet.
    HWND StartProgram() {
        DWORD processId = 0;
        program = StartProcess("\"" + kDir + "\\Wayleap.exe\"", kDir, &processId);
        if (!program) return nullptr;
        HWND sheet = nullptr;
        PumpUntil([&] { return (sheet = FindProcessDialog(processId, kSheetCaption)) != nullptr; }, 30000);
        return sheet;
    }

    unique_file program;
};

TEST_F(Installer, SilentInstallPutsTheProgramInPlaceAndRegistersEachDllInItsView) {
    for (const std::string& name : kProgramFiles) EXPECT_TRUE(FileExists(kDir + "\\" + name)) << name;
    EXPECT_FALSE(FileExists(kDataFile)) << "the folder list is the user's, never installed";

    for (const Bitness& bitness : kBitnesses) {
        SCOPED_TRACE(bitness.name);
        const Seen seen = Probe(bitness);
        ASSERT_EQ(seen.code, 0) << seen.text;
        EXPECT_EQ(LongPath(seen.Key(kServerKey)), kDir + "\\" + bitness.dll) << seen.text;
        for (const std::string& progId : kProgIdKeys) EXPECT_EQ(seen.Key(progId), kHandlerClsidText) << progId;
        // Installing does not switch the menu on: the user does, in Wayleap.exe.
        EXPECT_EQ(seen.Key(kFolderHandlerKey), "<none>");
        EXPECT_EQ(seen.Key(kBackgroundHandlerKey), "<none>");
    }

    EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), kDir + "\\Wayleap.exe") << StartMenuShortcut();

    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"), "Wayleap");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), WAYLEAP_VERSION);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), kDir);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"), "\"" + kUninstaller + "\"");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString"), "\"" + kUninstaller + "\" /S");

    // The setup program's own version resource.
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(g_setup.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(g_setup.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    char version[64];
    std::snprintf(version, sizeof version, "%lu.%lu.%lu.%lu", fixed->dwProductVersionMS >> 16,
                  fixed->dwProductVersionMS & 0xFFFF, fixed->dwProductVersionLS >> 16,
                  fixed->dwProductVersionLS & 0xFFFF);
    EXPECT_STREQ(version, WAYLEAP_VERSION);
}

TEST_F(Installer, MenuSwitchedOnInTheInstalledProgramShowsTheListIn32And64BitProcesses) {
    HWND sheet = StartProgram();
    ASSERT_NE(sheet, nullptr) << "no \"" << kSheetCaption << "\" window";
    const HWND general = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    const HWND enable = GetDlgItem(general, IDC_ENABLE);
    ASSERT_NE(enable, nullptr);
    EXPECT_EQ(SendMessageA(enable, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(enable, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    EXPECT_EQ(SendMessageA(enable, BM_GETCHECK, 0, 0), BST_CHECKED);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_EQ(WaitForSingleObject(program.get(), 30000), WAIT_OBJECT_0) << "Wayleap.exe did not end";
    DWORD code = 1;
    GetExitCodeProcess(program.get(), &code);
    program.reset();
    EXPECT_EQ(code, 0u);

    ASSERT_TRUE(WriteBytes(kDataFile, kTwoEntries));
    for (const Bitness& bitness : kBitnesses) {
        SCOPED_TRACE(bitness.name);
        const Seen seen = Probe(bitness, "C:\\");
        ASSERT_EQ(seen.code, 0) << seen.text;
        // The 32-bit Wayleap.exe wrote both keys; 64-bit Explorer reads them too.
        EXPECT_EQ(seen.Key(kFolderHandlerKey), kHandlerClsidText);
        EXPECT_EQ(seen.Key(kBackgroundHandlerKey), kHandlerClsidText);
        EXPECT_NE(seen.text.find("\nmodule " + kDir + "\\" + bitness.dll + "\n"), std::string::npos) << seen.text;
        // The entries in the "Wayleap" submenu (the style the program wrote), in the file's order.
        EXPECT_NE(seen.text.find("\nitem Wayleap\n  item [&0] Windows\n  item [&1] Users\n"), std::string::npos)
            << seen.text;
    }
}

TEST_F(Installer, InstallingAgainRepairsTheProgramAndKeepsTheUsersData) {
    ASSERT_TRUE(WriteBytes(kDataFile, kTwoEntries));
    StoreSettings(true, false);
    ASSERT_TRUE(WriteBytes(kDir + "\\SkipdoorCM64.dll", "damaged"));
    DeleteTree(HKEY_CLASSES_ROOT, kClassKey, KEY_WOW64_64KEY);

    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    EXPECT_EQ(ReadStoredSettings(), SettingsWritten(true, false)) << "the menu stays on, in the chosen style";
    for (const Bitness& bitness : kBitnesses) {
        SCOPED_TRACE(bitness.name);
        const Seen seen = Probe(bitness, "C:\\");
        ASSERT_EQ(seen.code, 0) << seen.text;
        EXPECT_EQ(LongPath(seen.Key(kServerKey)), kDir + "\\" + bitness.dll);
        EXPECT_NE(seen.text.find("\nitem [&0] Windows\nitem [&1] Users\n"), std::string::npos) << seen.text;
    }
}

TEST_F(Installer, UninstallRemovesEverythingButTheFolderListUnlessAskedTo) {
    ASSERT_TRUE(WriteBytes(kDataFile, kTwoEntries));
    StoreSettings(true, true);

    ASSERT_EQ(Uninstall(), 0);
    for (const Bitness& bitness : kBitnesses) {
        SCOPED_TRACE(bitness.name);
        const Seen seen = Probe(bitness);
        ASSERT_EQ(seen.code, 0) << seen.text;
        for (const std::string& key : {kClassKey, kTypeLibKey, kProgIdKeys[0], kProgIdKeys[1],
                                       std::string(kFolderHandlerKey), std::string(kBackgroundHandlerKey)}) {
            EXPECT_EQ(seen.Key(key), "<none>") << key;
        }
    }
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (const std::string& name : kProgramFiles) EXPECT_FALSE(FileExists(kDir + "\\" + name)) << name;
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << "the menu style is kept with the list";

    // Installed again, the list is there as it was; uninstalled with
    // /REMOVEDATA, the list, the settings and the folder go too.
    ASSERT_EQ(Install(), 0);
    EXPECT_EQ(ReadBytes(kDataFile), kTwoEntries);
    ASSERT_EQ(Uninstall(" /REMOVEDATA"), 0);
    EXPECT_FALSE(FileExists(kDataFile));
    EXPECT_FALSE(FileExists(kDir)) << "the folder is removed once empty";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SETUP.exe I686-PROBE.exe X86_64-PROBE.exe [gtest options]\n", argv[0]);
        return 2;
    }
    g_setup = WinePath(argv[1]);
    g_probe32 = WinePath(argv[2]);
    g_probe64 = WinePath(argv[3]);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}

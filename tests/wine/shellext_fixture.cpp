// A private installation of SkipdoorCM.dll for the Wine tests, and the test
// programs' entry point: an apartment-threaded thread like the shell's.
#include "tests/wine/shellext_fixture.h"

#include "win/code_page.h"
#include "win/list_file_io.h"
#include "win/unique_handle.h"

namespace wayleap::test {

const CLSID kHandlerClsid = {0x6A1E27C4, 0x93B5, 0x4D0E, {0x8F, 0x21, 0x5C, 0x7D, 0x0B, 0x9A, 0x3E, 0x16}};

std::string g_slowFolder;

namespace {
std::string g_builtDll;
}  // namespace

void SetSetting(const char* subKey, const char* name, DWORD value) {
    unique_hkey key;
    RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

InstalledDll::InstalledDll(const std::string& d) : dir(d), path(d + g_builtDll.substr(g_builtDll.rfind('\\') + 1)) {
    CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(g_builtDll.c_str(), path.c_str(), FALSE)) << g_builtDll;
    module = LoadLibraryA(path.c_str());
    EXPECT_NE(module, nullptr) << path;
    if (module) registered = Call("DllRegisterServer");
}

InstalledDll::~InstalledDll() {
    if (!module) return;
    Call("DllUnregisterServer");
    CoFreeUnusedLibraries();
    FreeLibrary(module);
}

HRESULT InstalledDll::Call(const char* name) const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)()>(name);
    return fn ? fn() : E_NOTIMPL;
}

Handler::Handler() {
    if (SUCCEEDED(CoCreateInstance(kHandlerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                   reinterpret_cast<void**>(&init)))) {
        init->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&menu));
    }
    EXPECT_TRUE(init && menu);
}

Handler::~Handler() {
    if (menu) menu->Release();
    if (init) init->Release();
    DestroyMenu(hmenu);
}

HRESULT Handler::Init(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::wstring> wideNames;
    for (const std::string& name : names) wideNames.push_back(AnsiToWide(name));
    return Init(AnsiToWide(folder), wideNames);
}

HRESULT Handler::Init(const std::wstring& folder, const std::vector<std::wstring>& names) {
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(folder.c_str());
    std::vector<PIDLIST_ABSOLUTE> items;
    std::vector<PCUITEMID_CHILD> children;
    for (const std::wstring& name : names) {
        items.push_back(ILCreateFromPathW((folder + L"\\" + name).c_str()));
        if (items.back()) children.push_back(ILFindLastID(items.back()));
    }
    HRESULT hr = E_FAIL;
    IShellFolder* parent = nullptr;
    IDataObject* data = nullptr;
    if (names.empty()) {
        hr = init->Initialize(pidl, nullptr, nullptr);
    } else if (SUCCEEDED(SHBindToObject(nullptr, pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parent))) &&
               SUCCEEDED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                                               IID_IDataObject, nullptr, reinterpret_cast<void**>(&data)))) {
        hr = init->Initialize(nullptr, data, nullptr);
        data->Release();
    }
    if (parent) parent->Release();
    for (PIDLIST_ABSOLUTE item : items) ILFree(item);
    ILFree(pidl);
    return hr;
}

void Handler::Query(UINT first, UINT last, UINT flags, UINT index, int* count) {
    const HRESULT hr = menu ? menu->QueryContextMenu(hmenu, index, first, last, flags) : E_FAIL;
    EXPECT_TRUE(SUCCEEDED(hr)) << hr;
    if (count) *count = HRESULT_CODE(hr);
}

HRESULT Handler::Invoke(HWND window, UINT offset) {
    CMINVOKECOMMANDINFO info = {sizeof info, 0, window, MAKEINTRESOURCEA(offset), nullptr, nullptr, SW_SHOWNORMAL};
    return menu->InvokeCommand(&info);
}

std::string Outline(HMENU menu, std::set<HBITMAP>* pictures) {
    std::string outline;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[512] = {};
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_CHECKMARKS | MIIM_SUBMENU;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii);
        outline += i ? " | " : "";
        if (mii.fType & MFT_SEPARATOR) {
            outline += "-";
            continue;
        }
        outline += std::string(text) + "#" + std::to_string(mii.wID) + ((mii.fState & MFS_GRAYED) ? "~" : "");
        if (pictures) pictures->insert(mii.hbmpChecked == mii.hbmpUnchecked ? mii.hbmpUnchecked : nullptr);
        if (mii.hSubMenu) outline += "{" + Outline(mii.hSubMenu, pictures) + "}";
    }
    return outline;
}

void ShellextTest::SetUp() {
    SetSetting("Software\\Wayleap", "submenu", 0);
    SetSetting(kAdvanced, "Hidden", 2);
}

void ShellextTest::WriteList(const std::vector<FolderEntry>& entries) {
    FolderList list;
    for (const FolderEntry& entry : entries) list.Append(entry);
    ASSERT_EQ(SaveFolderList(dataFile, list), SaveStatus::Saved);
}

std::string ShellextTest::MakeDirs(const std::string& name, const std::vector<std::string>& subs) {
    const std::string path = scratch / name;
    CreateDirectoryA(path.c_str(), nullptr);
    for (const std::string& sub : subs) EXPECT_TRUE(CreateDirectoryA((path + "\\" + sub).c_str(), nullptr)) << sub;
    return path;
}

HostWindow::HostWindow(const char* className, WNDPROC proc) {
    WNDCLASSA wc = {0, proc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, className};
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, className, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 300, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

void InvokeTest::SetUp() {
    ShellextTest::SetUp();
    WriteList({Plain("Target", target), Plain("Other", other), Plain("Gone", scratch / "Gone")});
    Select(scratch.path());
}

}  // namespace wayleap::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wayleap::test::StartWatchdog();
    wayleap::test::g_builtDll = wayleap::test::WinePath(argc > 1 ? argv[1] : "");  // PATH-TO-SkipdoorCM.dll
    if (argc > 2) wayleap::test::g_slowFolder = wayleap::test::WinePath(argv[2]);  // tools/make-slow-folder.sh's
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}

// A private installation of SkipdoorCM.dll for the Wine tests.
#include "tests/wine/shellext_fixture.h"

#include <gtest/gtest.h>

#include "win/list_file_io.h"
#include "win/unique_handle.h"

namespace wayleap::test {

const CLSID kHandlerClsid = {0x6A1E27C4, 0x93B5, 0x4D0E, {0x8F, 0x21, 0x5C, 0x7D, 0x0B, 0x9A, 0x3E, 0x16}};

namespace {
std::string g_builtDll;
}

void SetBuiltDllPath(const char* path) {
    g_builtDll = WinePath(path);
}

const std::string& BuiltDllPath() { return g_builtDll; }

InstalledDll::InstalledDll(const std::string& dir) : dir_(dir) {
    CreateDirectoryA(dir_.c_str(), nullptr);
    // Installed under its built name: SkipdoorCM.dll, or SkipdoorCM64.dll for x86_64.
    const std::string& built = BuiltDllPath();
    dllPath_ = dir_ + built.substr(built.find_last_of('\\') + 1);
    if (!CopyFileA(BuiltDllPath().c_str(), dllPath_.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << BuiltDllPath();
        return;
    }
    module_ = LoadLibraryA(dllPath_.c_str());
    if (!module_) {
        ADD_FAILURE() << "cannot load " << dllPath_;
        return;
    }
    registered_ = Register();
}

InstalledDll::~InstalledDll() {
    if (!module_) return;
    Unregister();
    CoFreeUnusedLibraries();
    FreeLibrary(module_);
}

HRESULT InstalledDll::Register() const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
    return fn ? fn() : E_NOTIMPL;
}

HRESULT InstalledDll::Unregister() const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
    return fn ? fn() : E_NOTIMPL;
}

HRESULT InstalledDll::CanUnloadNow() const {
    auto fn = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    return fn ? fn() : E_NOTIMPL;
}

void WriteFolderList(const InstalledDll& dll, const FolderList& list) {
    ASSERT_EQ(SaveFolderList(dll.dataFile(), list), SaveStatus::Saved);
}

namespace {
void SetDword(HKEY root, const char* subKey, const char* name, DWORD value) {
    unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
}
}  // namespace

void SetMenuStyle(bool submenu) { SetDword(HKEY_CURRENT_USER, "Software\\Wayleap", "submenu", submenu ? 1 : 0); }

void SetShowHidden(bool show) {
    SetDword(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "Hidden",
             show ? 1 : 2);
}

namespace {
std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    return wide;
}
}  // namespace

PIDLIST_ABSOLUTE PidlOf(const std::string& path) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(Wide(path).c_str(), nullptr, &pidl, 0, nullptr))) return nullptr;
    return pidl;
}

std::string ShellPathOf(const std::string& path) {
    PIDLIST_ABSOLUTE pidl = PidlOf(path);
    if (!pidl) return {};
    char buffer[MAX_PATH + 1] = {};
    const BOOL ok = SHGetPathFromIDListA(pidl, buffer);
    CoTaskMemFree(pidl);
    return ok ? std::string(buffer) : std::string();
}

IDataObject* DataObjectFor(const std::string& folder, const std::vector<std::string>& names) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    IShellFolder* parent = nullptr;
    PIDLIST_ABSOLUTE folderPidl = PidlOf(folder);
    HRESULT hr = desktop->BindToObject(folderPidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parent));
    CoTaskMemFree(folderPidl);
    desktop->Release();
    if (FAILED(hr)) return nullptr;

    std::vector<PITEMID_CHILD> children;
    for (const std::string& name : names) {
        PIDLIST_RELATIVE child = nullptr;
        std::wstring wide = Wide(name);
        if (SUCCEEDED(parent->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &child, nullptr))) {
            children.push_back(static_cast<PITEMID_CHILD>(child));
        }
    }
    IDataObject* data = nullptr;
    parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                          const_cast<PCUITEMID_CHILD_ARRAY>(children.data()), IID_IDataObject, nullptr,
                          reinterpret_cast<void**>(&data));
    for (PITEMID_CHILD child : children) CoTaskMemFree(child);
    parent->Release();
    return data;
}

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_CHECKMARKS | MIIM_DATA | MIIM_SUBMENU;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
        MenuItem item;
        item.separator = (mii.fType & MFT_SEPARATOR) != 0;
        item.text = text;
        item.id = mii.wID;
        item.state = mii.fState;
        item.checked = mii.hbmpChecked;
        item.unchecked = mii.hbmpUnchecked;
        item.data = mii.dwItemData;
        item.subMenu = mii.hSubMenu;
        if (mii.hSubMenu) item.children = ReadMenu(mii.hSubMenu);
        items.push_back(item);
    }
    return items;
}

std::vector<std::string> Texts(const std::vector<MenuItem>& items) {
    std::vector<std::string> texts;
    for (const MenuItem& item : items) texts.push_back(item.separator ? "-" : item.text);
    return texts;
}

Handler::Handler() {
    if (FAILED(CoCreateInstance(kHandlerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                reinterpret_cast<void**>(&init)))) {
        return;
    }
    init->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&menu));
}

Handler::~Handler() {
    if (menu) menu->Release();
    if (init) init->Release();
}

BuiltMenu::~BuiltMenu() {
    if (menu) DestroyMenu(menu);
}

void InitializeBackground(Handler& h, const std::string& folder) {
    ASSERT_TRUE(h);
    PIDLIST_ABSOLUTE pidl = PidlOf(folder);
    ASSERT_NE(pidl, nullptr) << folder;
    EXPECT_EQ(h.init->Initialize(pidl, nullptr, nullptr), S_OK);
    CoTaskMemFree(pidl);
}

void QueryMenu(Handler& h, BuiltMenu& out, UINT first, UINT last, UINT flags, UINT indexMenu) {
    ASSERT_TRUE(h);
    if (!out.menu) out.menu = CreatePopupMenu();
    out.hr = h.menu->QueryContextMenu(out.menu, indexMenu, first, last, flags);
    out.items = ReadMenu(out.menu);
}

void BuildMenu(Handler& h, const std::string& folder, BuiltMenu& out, UINT first, UINT last, UINT flags,
               UINT indexMenu) {
    InitializeBackground(h, folder);
    if (::testing::Test::HasFatalFailure()) return;
    QueryMenu(h, out, first, last, flags, indexMenu);
}

std::string HelpTextA(Handler& h, UINT offset) {
    char buffer[600] = "untouched";
    const HRESULT hr = h.menu->GetCommandString(offset, GCS_HELPTEXTA, nullptr, buffer, sizeof buffer);
    if (FAILED(hr)) return "hr=" + std::to_string(static_cast<long>(hr));
    return buffer;
}

}  // namespace wayleap::test

// Invoking commands as the shell does.
#include <climits>

namespace wayleap::test {

HRESULT InvokeOffset(IContextMenu* menu, HWND window, UINT offset) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

HRESULT InvokeVerb(IContextMenu* menu, HWND window, const char* verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

UINT OffsetOfItem(const std::vector<MenuItem>& items, const std::string& text, UINT first) {
    for (const MenuItem& item : items) {
        if (!item.separator && !item.subMenu && item.text == text) return item.id - first;
        const UINT inner = OffsetOfItem(item.children, text, first);
        if (inner != UINT_MAX) return inner;
    }
    return UINT_MAX;
}

}  // namespace wayleap::test

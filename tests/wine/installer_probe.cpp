// What a 32-bit or a 64-bit program sees of an installed Wayleap. First the
// registry entries under HKEY_CLASSES_ROOT as this process's registry view shows
// them, one line each:
//   key <subkey> = <default value>          "<none>" when the key is missing
// Then, given a folder, the handler class made the way the shell makes it -
// CoCreateInstance by CLSID, Initialize for a click on the background of the
// folder, QueryContextMenu into a fresh popup menu:
//   module <long path of the DLL that implements the object>
//   item <text>           one line per menu item, two more spaces before
//                         "item" per popup level; separators read "-"
// Exits 0 when all of it worked, otherwise non-zero after a line saying what failed.
//   installer_probe [FOLDER]
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "core/registry_names.h"

using namespace wayleap;

namespace {

const std::string kKeys[] = {std::string("CLSID\\") + kHandlerClsidText,
                             std::string("CLSID\\") + kHandlerClsidText + "\\InprocServer32",
                             "SkipdoorCM.SkipdoorCMH\\CLSID", "SkipdoorCM.SkipdoorCMH.1\\CLSID",
                             "TypeLib\\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}", kFolderHandlerKey,
                             kBackgroundHandlerKey};

void PrintKeys() {
    for (const std::string& name : kKeys) {
        char value[1024] = "<none>";
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof value - 1;
            if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
                ERROR_SUCCESS) {
                value[0] = '\0';
            }
            RegCloseKey(key);
        }
        std::printf("key %s = %s\n", name.c_str(), value);
    }
}

int Fail(int code, const char* what, HRESULT hr = S_OK) {
    std::printf("error %s (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    return code;
}

void PrintMenu(HMENU menu, int depth) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        std::printf("%*sitem %s\n", depth * 2, "", (info.fType & MFT_SEPARATOR) ? "-" : text);
        if (info.hSubMenu) PrintMenu(info.hSubMenu, depth + 1);
    }
}

// The DLL holding the object's code: the module of its first interface method.
std::string ImplementingModule(IUnknown* object) {
    void* method = (*reinterpret_cast<void***>(object))[0];
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(method), &module)) {
        return {};
    }
    char path[MAX_PATH] = {};
    if (!GetModuleFileNameA(module, path, MAX_PATH)) return {};
    char longPath[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(path, longPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(longPath) : std::string(path);
}

int Probe(const char* folder) {
    CLSID clsid;
    std::wstring clsidText(kHandlerClsidText, kHandlerClsidText + sizeof kHandlerClsidText);  // with the zero
    HRESULT hr = CLSIDFromString(&clsidText[0], &clsid);
    if (FAILED(hr)) return Fail(3, "CLSIDFromString", hr);

    IShellExtInit* init = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    if (FAILED(hr)) return Fail(4, "CoCreateInstance", hr);
    const std::string module = ImplementingModule(init);
    if (module.empty()) {
        init->Release();
        return Fail(5, "no module for the object");
    }
    std::printf("module %s\n", module.c_str());

    wchar_t wideFolder[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, folder, -1, wideFolder, MAX_PATH);
    PIDLIST_ABSOLUTE pidl = nullptr;
    hr = SHParseDisplayName(wideFolder, nullptr, &pidl, 0, nullptr);
    if (FAILED(hr)) {
        init->Release();
        return Fail(6, "SHParseDisplayName", hr);
    }
    hr = init->Initialize(pidl, nullptr, nullptr);
    CoTaskMemFree(pidl);
    if (FAILED(hr)) {
        init->Release();
        return Fail(7, "IShellExtInit::Initialize", hr);
    }

    IContextMenu* contextMenu = nullptr;
    hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&contextMenu));
    init->Release();
    if (FAILED(hr)) return Fail(8, "QueryInterface IContextMenu", hr);
    HMENU menu = CreatePopupMenu();
    hr = contextMenu->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
    int result = 0;
    if (FAILED(hr)) {
        result = Fail(9, "QueryContextMenu", hr);
    } else {
        PrintMenu(menu, 0);
    }
    DestroyMenu(menu);
    contextMenu->Release();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::printf("usage: installer_probe [FOLDER]\n");
        return 2;
    }
    PrintKeys();
    if (argc < 2) return 0;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail(10, "CoInitializeEx");
    const int result = Probe(argv[1]);
    CoFreeUnusedLibraries();
    CoUninitialize();
    std::fflush(stdout);
    return result;
}

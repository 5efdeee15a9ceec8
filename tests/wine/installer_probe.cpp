// What a 32-bit or a 64-bit program gets from an installed Wayleap: the
// handler class found as Windows' merged view of the classes gives it to a
// program of this bitness (the user's classes first, then the machine's, each
// in the program's own view; Wine's own COM looks at the machine's alone),
// its DLL loaded and the object made through its class factory, Initialize
// for a click on the background of C:\, QueryContextMenu into a fresh popup
// menu; written to OUT:
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

#include "core/registry_names.h"
#include "tests/wine/test_support.h"

namespace {

FILE* g_out = nullptr;

void PrintMenu(HMENU menu, int depth) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[512] = {};
        MENUITEMINFOA info = {sizeof info, MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU, 0, 0, 0, nullptr, nullptr,
                              nullptr, 0, text, sizeof text, nullptr};
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        std::fprintf(g_out, "%*sitem %s\n", depth * 2, "", (info.fType & MFT_SEPARATOR) ? "-" : text);
        if (info.hSubMenu) PrintMenu(info.hSubMenu, depth + 1);
    }
}

// The DLL holding the object's code: the module of its first interface method.
void PrintModule(IUnknown* object) {
    HMODULE module = nullptr;
    char path[MAX_PATH] = "<unknown>";
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>((*reinterpret_cast<void***>(object))[0]), &module);
    if (module) GetModuleFileNameA(module, path, MAX_PATH);
    GetLongPathNameA(path, path, MAX_PATH);
    std::fprintf(g_out, "module %s\n", path);
}

int Probe() {
    IShellExtInit* init = nullptr;
    if (FAILED(wayleap::test::CreateRegisteredObject(wayleap::kHandlerClsidText, IID_IShellExtInit,
                                                     reinterpret_cast<void**>(&init)))) {
        return 3;
    }
    PrintModule(init);
    PIDLIST_ABSOLUTE pidl = nullptr;
    IContextMenu* contextMenu = nullptr;
    HRESULT hr = SHParseDisplayName(L"C:\\", nullptr, &pidl, 0, nullptr);
    if (SUCCEEDED(hr)) hr = init->Initialize(pidl, nullptr, nullptr);
    if (SUCCEEDED(hr)) hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&contextMenu));
    CoTaskMemFree(pidl);
    init->Release();
    if (FAILED(hr)) return 4;
    HMENU menu = CreatePopupMenu();
    hr = contextMenu->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
    if (SUCCEEDED(hr)) PrintMenu(menu, 0);
    DestroyMenu(menu);
    contextMenu->Release();
    return SUCCEEDED(hr) ? 0 : 5;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !(g_out = std::fopen(argv[1], "wb"))) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = Probe();
    CoUninitialize();
    std::fclose(g_out);
    return result;
}

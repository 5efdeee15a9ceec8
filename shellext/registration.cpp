// Self-registration of SkipdoorCM.dll, driven by the registration table.
#include "shellext/registration.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "core/ansi_text.h"
#include "core/registration_table.h"
#include "shellext/module.h"
#include "win/code_page.h"
#include "win/module_file.h"
#include "win/unique_handle.h"

namespace wayleap::shellext {
namespace {

std::string OwnFileName() { return ModuleFileName(Module::Instance()); }

// The DLL's path in its short (8.3) form, as the in-process server entry
// holds it; the long path where the volume has no short names.
std::string ShortModulePath() {
    const std::string longPath = OwnFileName();
    if (longPath.empty()) return {};
    std::vector<char> shortPath(longPath.size() + 1);
    DWORD length = GetShortPathNameA(longPath.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length >= shortPath.size()) {
        shortPath.resize(length + 1);
        length = GetShortPathNameA(longPath.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    }
    if (length == 0 || length >= shortPath.size()) return longPath;
    return std::string(shortPath.data(), length);
}

HRESULT WriteRow(const RegistrationRow& row, const std::string& modulePath) {
    if (row.forceRemove) RegDeleteTreeA(HKEY_CLASSES_ROOT, row.key);  // the key and everything under it
    unique_hkey key;
    LONG result = RegCreateKeyExA(HKEY_CLASSES_ROOT, row.key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, key.put(), nullptr);
    if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
    if (!row.value) return S_OK;
    const std::string value = std::string(row.value) == kModulePlaceholder ? modulePath : std::string(row.value);
    result = RegSetValueExA(key.get(), row.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    return HRESULT_FROM_WIN32(result);
}

// Loads the embedded type library, or failing that the .tlb beside the DLL.
HRESULT LoadOwnTypeLib(ITypeLib** typeLib, std::wstring& loadedFrom) {
    const std::string path = OwnFileName();
    if (path.empty()) return E_FAIL;
    loadedFrom = AnsiToWide(path);
    HRESULT hr = LoadTypeLib(loadedFrom.c_str(), typeLib);
    if (SUCCEEDED(hr)) return hr;
    // Same name with the extension ".tlb" (appended when the name has no dot).
    const std::size_t slash = FindLastBackslash(path, SystemLeadBytes());
    const std::size_t dot = path.find_last_of('.');
    std::string tlb = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? path.substr(0, dot)
                                                                                                 : path;
    tlb += ".tlb";
    loadedFrom = AnsiToWide(tlb);
    return LoadTypeLib(loadedFrom.c_str(), typeLib);
}

}  // namespace

HRESULT RegisterServer() {
    const std::string modulePath = ShortModulePath();
    if (modulePath.empty()) return E_FAIL;
    for (const RegistrationRow& row : kRegistrationRows) {
        const HRESULT hr = WriteRow(row, modulePath);
        if (FAILED(hr)) return hr;
    }

    ITypeLib* typeLib = nullptr;
    std::wstring loadedFrom;
    HRESULT hr = LoadOwnTypeLib(&typeLib, loadedFrom);
    if (FAILED(hr)) return hr;
    // The help directory: the path up to and including its last \, / or :.
    std::wstring helpDir = loadedFrom.substr(0, loadedFrom.find_last_of(L"\\/:") + 1);
    hr = RegisterTypeLib(typeLib, &loadedFrom[0], helpDir.empty() ? nullptr : &helpDir[0]);
    typeLib->Release();
    return hr;
}

void UnregisterServer() {
    for (const RegistrationRow& row : kRegistrationRows) {
        if (row.removalRoot) RegDeleteTreeA(HKEY_CLASSES_ROOT, row.key);
    }

    ITypeLib* typeLib = nullptr;
    std::wstring loadedFrom;
    if (FAILED(LoadOwnTypeLib(&typeLib, loadedFrom))) return;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(typeLib->GetLibAttr(&attributes))) {
        // Looked up at run time: very old systems lack it, and then the type
        // library simply stays registered.
        using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
        if (HMODULE oleaut = LoadLibraryA("oleaut32.dll")) {
            auto unregister = reinterpret_cast<UnRegisterTypeLibFn>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
            if (unregister) {
                unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                           attributes->syskind);
            }
            FreeLibrary(oleaut);
        }
        typeLib->ReleaseTLibAttr(attributes);
    }
    typeLib->Release();
}

}  // namespace wayleap::shellext

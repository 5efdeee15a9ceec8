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
#include "win/registry_classes.h"
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

// Where a registration goes: the machine's classes through HKEY_CLASSES_ROOT
// (DllRegisterServer, for every user, as administrators have always done), or
// the user's classes (DllInstall "user"), whose class keys are reached in this
// process's own view through the 64-bit view of HKCU\Software\Classes.
struct Target {
    Scope scope = Scope::Machine;
    unique_hkey userClasses;  // open for the user's scope
    HKEY classes() const { return scope == Scope::User ? userClasses.get() : HKEY_CLASSES_ROOT; }
    REGSAM view() const { return scope == Scope::User ? kClassesView : 0; }
    std::string KeyOf(const RegistrationRow& row) const {
        return (scope == Scope::User && row.perView ? ClassViewPrefix() : "") + std::string(row.key);
    }
};

bool OpenTarget(Scope scope, Target& target) {
    target.scope = scope;
    return scope == Scope::Machine ||
           OpenClasses(HKEY_CURRENT_USER, KEY_ALL_ACCESS, target.userClasses.put()) == ERROR_SUCCESS;
}

void DeleteTree(const Target& target, const std::string& subKey) {
    unique_hkey key;
    if (RegOpenKeyExA(target.classes(), subKey.c_str(), 0, KEY_ALL_ACCESS | target.view(), key.put()) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteTreeA(key.get(), nullptr);  // everything under it
    key.reset();
    RegDeleteKeyExA(target.classes(), subKey.c_str(), target.view(), 0);
}

HRESULT WriteRow(const Target& target, const RegistrationRow& row, const std::string& modulePath) {
    const std::string subKey = target.KeyOf(row);
    if (row.forceRemove) DeleteTree(target, subKey);
    unique_hkey key;
    LONG result = RegCreateKeyExA(target.classes(), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | target.view(), nullptr, key.put(), nullptr);
    if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
    if (!row.value) return S_OK;
    const std::string value = std::string(row.value) == kModulePlaceholder ? modulePath : std::string(row.value);
    result = RegSetValueExA(key.get(), row.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    return HRESULT_FROM_WIN32(result);
}

// Runs `body` (the type library calls, which write through HKEY_CLASSES_ROOT)
// with HKEY_CLASSES_ROOT standing for the user's classes when registering for
// the user. The override is process-wide: DllInstall runs in regsvr32 or an
// installer, never in the shell.
template <typename F>
HRESULT InTargetClasses(const Target& target, F body) {
    if (target.scope == Scope::Machine) return body();
    // Windows Vista SP1 and later honour the override in the type library
    // calls only after this call.
    using EnableFn = void(WINAPI*)();
    if (HMODULE oleaut = GetModuleHandleA("oleaut32.dll")) {
        if (auto enable = reinterpret_cast<EnableFn>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "OaEnablePerUserTLibRegistration")))) {
            enable();
        }
    }
    const LONG overridden = RegOverridePredefKey(HKEY_CLASSES_ROOT, target.userClasses.get());
    if (overridden != ERROR_SUCCESS) return HRESULT_FROM_WIN32(overridden);
    const HRESULT hr = body();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    return hr;
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

HRESULT RegisterServer(Scope scope) {
    const std::string modulePath = ShortModulePath();
    Target target;
    if (modulePath.empty() || !OpenTarget(scope, target)) return E_FAIL;
    HRESULT hr = S_OK;
    for (const RegistrationRow& row : kRegistrationRows) {
        if (FAILED(hr = WriteRow(target, row, modulePath))) break;
    }
    if (SUCCEEDED(hr)) {
        hr = InTargetClasses(target, [] {
            ITypeLib* typeLib = nullptr;
            std::wstring loadedFrom;
            HRESULT loaded = LoadOwnTypeLib(&typeLib, loadedFrom);
            if (FAILED(loaded)) return loaded;
            // The help directory: the path up to and including its last \, / or :.
            std::wstring helpDir = loadedFrom.substr(0, loadedFrom.find_last_of(L"\\/:") + 1);
            const HRESULT registered = RegisterTypeLib(typeLib, &loadedFrom[0], helpDir.empty() ? nullptr : &helpDir[0]);
            typeLib->Release();
            return registered;
        });
    }
    // A registration that could not be written whole is not left half done.
    if (FAILED(hr)) UnregisterServer(scope);
    return hr;
}

void UnregisterServer(Scope scope) {
    Target target;
    if (!OpenTarget(scope, target)) return;
    for (const RegistrationRow& row : kRegistrationRows) {
        if (row.removalRoot) DeleteTree(target, target.KeyOf(row));
    }
    InTargetClasses(target, [] {
        ITypeLib* typeLib = nullptr;
        std::wstring loadedFrom;
        if (FAILED(LoadOwnTypeLib(&typeLib, loadedFrom))) return S_OK;
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(typeLib->GetLibAttr(&attributes))) {
            // Looked up at run time: very old systems lack it, and then the
            // type library simply stays registered.
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
        return S_OK;
    });
}

}  // namespace wayleap::shellext

// Entry point and exports of SkipdoorCM.dll, the in-process server of the
// context-menu handler SkipdoorCMH.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "shellext/class_factory.h"
#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/menu_bitmaps.h"
#include "shellext/module.h"
#include "shellext/navigation.h"
#include "shellext/registration.h"
#include "shellext/subfolder_threads.h"
#include "skipdoorcm.h"

// libstdc++'s own: frees the runtime's emergency exception pool.
namespace __gnu_cxx {
void __freeres() noexcept;
}

using namespace wayleap::shellext;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitClassFactoryLock();
        InitMenuBitmapLock();
        InitNavigationLock();
        DisableThreadLibraryCalls(instance);
        try {
            Module::Attach(instance);
            CreateListings();
        } catch (...) {
            // Out of memory while loading: the paths stay empty, and every
            // later open of the data file fails cleanly; without listings,
            // expanded entries get empty popups.
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleaseCachedClassFactory();
        // At process exit everything goes with the process; only an unload
        // by FreeLibrary gives the pictures back.
        if (!reserved) {
            ReleaseMenuBitmaps();
            DestroyListings();
            FreeNavigationState();
            Module::Detach();
            // The C++ runtime linked into the DLL keeps a pool for exceptions
            // thrown when memory runs out; Explorer loads and unloads the DLL
            // many times, so the pool goes with each unload.
            __gnu_cxx::__freeres();
        }
        DeleteMenuBitmapLock();
        DeleteNavigationLock();
        DeleteClassFactoryLock();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    if (Module::LockCount() != 0) return S_FALSE;
    // A sub-folder listing still runs or waits for a thread. (Idle listing
    // threads hold their own reference to the DLL and may stay a while.)
    if (wayleap::SubfolderListings* listings = Listings(); listings && listings->Busy()) return S_FALSE;
    // No handler is alive, so no menu shows the pictures any more.
    ReleaseMenuBitmaps();
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return Guarded([&] {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualCLSID(clsid, CLSID_SkipdoorCMH)) return CLASS_E_CLASSNOTAVAILABLE;
        return GetHandlerClassObject(riid, ppv);
    });
}

namespace {
// Open Explorer windows pick up a class registered or removed.
void TellShell() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }
}  // namespace

STDAPI DllRegisterServer() {
    return Guarded([] {
        const HRESULT hr = RegisterServer(Scope::Machine);
        TellShell();
        return hr;
    });
}

STDAPI DllUnregisterServer() {
    return Guarded([] {
        UnregisterServer(Scope::Machine);
        TellShell();
        return S_OK;
    });
}

// regsvr32 /n /i:user (install) and /u /n /i:user: the class for the user
// alone, which needs no administrator rights. Other commands write nothing.
STDAPI DllInstall(BOOL install, PCWSTR command) {
    return Guarded([&] {
        if (!command || lstrcmpiW(command, L"user") != 0) return E_INVALIDARG;
        HRESULT hr = S_OK;
        if (install) {
            hr = RegisterServer(Scope::User);
        } else {
            UnregisterServer(Scope::User);
        }
        TellShell();
        return hr;
    });
}

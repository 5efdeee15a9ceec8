// Entry point and exports of SkipdoorCM.dll, the in-process server of the
// context-menu handler SkipdoorCMH.
#include <windows.h>
#include <objbase.h>

#include "shellext/class_factory.h"
#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/menu_bitmaps.h"
#include "shellext/module.h"
#include "shellext/navigation.h"
#include "shellext/registration.h"
#include "shellext/subfolder_threads.h"
#include "skipdoorcm.h"

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

STDAPI DllRegisterServer() {
    return Guarded([] { return RegisterServer(); });
}

STDAPI DllUnregisterServer() {
    return Guarded([] {
        UnregisterServer();
        return S_OK;
    });
}

// The one class factory of SkipdoorCMH, cached for the life of the DLL.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace wayleap::shellext {

// DllGetClassObject for the handler's CLSID: makes the cached factory once and
// hands out the interface asked for.
HRESULT GetHandlerClassObject(REFIID riid, void** ppv);

// DLL_PROCESS_DETACH: drops the module's own reference to the cached factory.
void ReleaseCachedClassFactory();

// Called once at attach and detach to set up and tear down the creation lock.
void InitClassFactoryLock();
void DeleteClassFactoryLock();

}  // namespace wayleap::shellext

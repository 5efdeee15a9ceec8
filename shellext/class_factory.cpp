// The class factory of SkipdoorCMH. The module keeps the first reference; a
// factory that a client holds besides that keeps the DLL loaded.
#include "shellext/class_factory.h"

#include <new>

#include "shellext/com_util.h"
#include "shellext/handler.h"
#include "shellext/module.h"

namespace wayleap::shellext {
namespace {

class ClassFactory final : public IClassFactory {
public:
    ClassFactory() { InitializeCriticalSection(&lock_); }
    ~ClassFactory() { DeleteCriticalSection(&lock_); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IClassFactory) && !IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override {
        EnterCriticalSection(&lock_);
        const LONG count = InterlockedIncrement(&refs_);
        if (count == 2) Module::Lock();  // the first reference besides the module's
        LeaveCriticalSection(&lock_);
        return static_cast<ULONG>(count);
    }

    STDMETHODIMP_(ULONG) Release() override {
        EnterCriticalSection(&lock_);
        const LONG count = InterlockedDecrement(&refs_);
        if (count == 1) Module::Unlock();
        LeaveCriticalSection(&lock_);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return Guarded([&] {
            if (!ppv) return E_POINTER;
            *ppv = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            return CreateHandler(riid, ppv);
        });
    }

    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            Module::Lock();
        } else {
            Module::Unlock();
        }
        return S_OK;
    }

private:
    LONG refs_ = 1;
    CRITICAL_SECTION lock_;
};

CRITICAL_SECTION g_creationLock;
ClassFactory* g_cached = nullptr;

}  // namespace

void InitClassFactoryLock() { InitializeCriticalSection(&g_creationLock); }
void DeleteClassFactoryLock() { DeleteCriticalSection(&g_creationLock); }

HRESULT GetHandlerClassObject(REFIID riid, void** ppv) {
    EnterCriticalSection(&g_creationLock);
    if (!g_cached) g_cached = new (std::nothrow) ClassFactory();
    ClassFactory* factory = g_cached;
    LeaveCriticalSection(&g_creationLock);
    if (!factory) return E_OUTOFMEMORY;  // tried again on the next call
    return factory->QueryInterface(riid, ppv);
}

void ReleaseCachedClassFactory() {
    if (g_cached) {
        g_cached->Release();
        g_cached = nullptr;
    }
}

}  // namespace wayleap::shellext

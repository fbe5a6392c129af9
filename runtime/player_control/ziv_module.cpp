// The library's COM exports and its class factory.
#include <ole2.h>
#include <olectl.h>

#include "ziv_control.h"
#include "ziv_ids.h"
#include "ziv_log.h"
#include "ziv_registration.h"

namespace ziv {
namespace {
class ClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is a static object: its count only keeps the library loaded.
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&LockCount())); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&LockCount())); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        try {
            auto* control = new ZivControl();
            HRESULT hr = control->QueryInterface(iid, object);
            control->Release();
            return hr;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&LockCount());
        else InterlockedDecrement(&LockCount());
        return S_OK;
    }
};

ClassFactory g_factory;
}  // namespace
}  // namespace ziv

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ziv::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(classId, ziv::kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return ziv::g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return ziv::ObjectCount() == 0 && ziv::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    try {
        return ziv::RegisterServer();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return ziv::UnregisterServer();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // extern "C"

#include "ziv_connection_point.h"

#include <olectl.h>

#include <vector>

#include "ziv_ids.h"

namespace ziv {

void ConnectionPoint::Detach() {
    for (auto& entry : sinks_) entry.second->Release();
    sinks_.clear();
    container_ = nullptr;
}

void ConnectionPoint::Fire(DISPID id, VARIANT* argumentsReversed, UINT count) {
    std::vector<IDispatch*> sinks;
    for (auto& entry : sinks_) {
        entry.second->AddRef();
        sinks.push_back(entry.second);
    }
    for (IDispatch* sink : sinks) {
        DISPPARAMS params = {argumentsReversed, nullptr, count, 0};
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = kEventsId;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = container_;
    if (container_ == nullptr) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(kEventsId, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_[*cookie] = dispatch;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
}

}  // namespace ziv

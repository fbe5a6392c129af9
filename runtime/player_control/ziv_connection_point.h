// The one connection point of the control (its event interface). Any IUnknown may advise; its
// IDispatch receives the events. Cookies start at 1.
#pragma once

#include <ocidl.h>

#include <map>

namespace ziv {

class ConnectionPoint : public IConnectionPoint {
public:
    explicit ConnectionPoint(IConnectionPointContainer* container) : container_(container) {}
    void Detach();  // the control goes: drop every sink

    // Calls every sink's Invoke(dispid) with the arguments (given in call order).
    void Fire(DISPID id, VARIANT* argumentsReversed, UINT count);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    virtual ~ConnectionPoint() = default;
    LONG references_ = 1;
    IConnectionPointContainer* container_;  // not counted: the container owns this object
    std::map<DWORD, IDispatch*> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace ziv

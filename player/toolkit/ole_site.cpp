#include "ole_site.h"

#include "error_report.h"
#include "form.h"
#include "ole_control.h"

namespace tk {

STDMETHODIMP OleFrame::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceUIWindow) ||
        IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) OleFrame::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OleFrame::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP OleFrame::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return S_OK;
}

OleSite::OleSite(TOleControl* control) : control_(control) {}

OleSite::~OleSite() {
    if (frame_ != nullptr) frame_->Release();
}

void OleSite::Detach() { control_ = nullptr; }

STDMETHODIMP OleSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OleSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OleSite::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP OleSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP OleSite::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = control_ != nullptr ? control_->SiteWindow() : nullptr;
    return *window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP OleSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr)
        return E_POINTER;
    *document = nullptr;
    *frame = nullptr;
    if (control_ == nullptr) return E_FAIL;
    TCustomForm* form = GetParentForm(control_);
    HWND formWindow = form != nullptr && form->HandleAllocated() ? form->Handle() : control_->SiteWindow();
    if (frame_ == nullptr) frame_ = new OleFrame(formWindow);
    frame_->SetWindow(formWindow);
    frame_->AddRef();
    *frame = frame_;
    *position = control_->BoundsRect();
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = formWindow;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP OleSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP OleEventSink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, events_)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) OleEventSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OleEventSink::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP OleEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP OleEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (control_ != nullptr) {
        TOleControl* control = control_;
        GuardCallback([&] { control->InvokeEvent(id, params); });
    }
    return S_OK;
}

}  // namespace tk

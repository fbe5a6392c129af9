#include "ole_control.h"

#include <olectl.h>

#include "exceptions.h"
#include "ole_site.h"

namespace tk {
namespace {
void ThrowIfFailed(HRESULT result) {
    if (FAILED(result)) throw EOleSysError(OleErrorText(result));
}

template <class T>
void ReleaseAndClear(T*& pointer) {
    if (pointer != nullptr) pointer->Release();
    pointer = nullptr;
}
}  // namespace

TK_CLASS_INFO(TOleControl, TWinControl)

std::wstring OleErrorText(HRESULT result) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message;
    if (length > 0 && text != nullptr) {
        message.assign(text, length);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
            message.pop_back();
    }
    if (text != nullptr) LocalFree(text);
    if (message.empty()) {
        wchar_t code[32];
        wsprintfW(code, L"OLE error %08X", static_cast<unsigned>(result));
        message = code;
    }
    return message;
}

int EventIntegerArgument(DISPPARAMS* params, UINT index, int fallback) {
    if (params == nullptr || index >= params->cArgs) return fallback;
    // Arguments arrive in reverse order.
    VARIANT value;
    VariantInit(&value);
    if (FAILED(VariantChangeType(&value, &params->rgvarg[params->cArgs - 1 - index], 0, VT_I4))) return fallback;
    return value.lVal;
}

TOleControl::TOleControl(TComponent* owner, const CLSID& classId, const IID& eventsId, SIZEL extent)
    : TWinControl(owner) {
    try {
        ThrowIfFailed(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       reinterpret_cast<void**>(&oleObject_)));
        ThrowIfFailed(oleObject_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)));
        site_ = new OleSite(this);
        ThrowIfFailed(oleObject_->SetClientSite(site_));
        IPersistStreamInit* persist = nullptr;
        if (SUCCEEDED(oleObject_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
            HRESULT initialized = persist->InitNew();
            persist->Release();
            ThrowIfFailed(initialized);
        }
        oleObject_->SetExtent(DVASPECT_CONTENT, &extent);
        IConnectionPointContainer* container = nullptr;
        if (SUCCEEDED(oleObject_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
            HRESULT found = container->FindConnectionPoint(eventsId, &connectionPoint_);
            container->Release();
            if (SUCCEEDED(found) && connectionPoint_ != nullptr) {
                sink_ = new OleEventSink(this, eventsId);
                if (FAILED(connectionPoint_->Advise(sink_, &cookie_))) cookie_ = 0;
            }
        }
    } catch (...) {
        Teardown();
        throw;
    }
}

TOleControl::~TOleControl() {
    BeginDestroy();
    Teardown();
}

void TOleControl::Teardown() {
    if (sink_ != nullptr) sink_->Detach();
    if (connectionPoint_ != nullptr && cookie_ != 0) connectionPoint_->Unadvise(cookie_);
    cookie_ = 0;
    ReleaseAndClear(connectionPoint_);
    ReleaseForeignWindow();
    if (inPlaceObject_ != nullptr) inPlaceObject_->InPlaceDeactivate();
    ReleaseAndClear(inPlaceObject_);
    if (oleObject_ != nullptr) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
    }
    ReleaseAndClear(dispatch_);
    ReleaseAndClear(oleObject_);
    if (site_ != nullptr) site_->Detach();
    ReleaseAndClear(site_);
    ReleaseAndClear(sink_);
}

HWND TOleControl::SiteWindow() const {
    return Parent() != nullptr && Parent()->HandleAllocated() ? Parent()->Handle() : ParentWindow();
}

void TOleControl::CreateHandle() {
    if (Parent() != nullptr) {
        Parent()->HandleNeeded();
        if (HandleAllocated()) return;
    }
    HWND parent = SiteWindow();
    if (parent == nullptr || oleObject_ == nullptr) throw EOleSysError(L"The control has no parent window");
    RECT position = BoundsRect();
    ThrowIfFailed(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, parent, &position));
    if (inPlaceObject_ == nullptr)
        ThrowIfFailed(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlaceObject_)));
    HWND window = nullptr;
    ThrowIfFailed(inPlaceObject_->GetWindow(&window));
    if (window == nullptr) throw EOleSysError(L"The control has no window");
    AdoptForeignWindow(window);
    inPlaceObject_->SetObjectRects(&position, &position);
}

void TOleControl::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    if (inPlaceObject_ != nullptr && HandleAllocated()) {
        RECT position = BoundsRect();
        inPlaceObject_->SetObjectRects(&position, &position);
    }
}

void TOleControl::InvokeEvent(DISPID, DISPPARAMS*) {}

void TOleControl::Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) {
    if (dispatch_ == nullptr) throw EOleSysError(L"The control is not available");
    EXCEPINFO error = {};
    UINT argumentError = 0;
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &error, &argumentError);
    if (hr == DISP_E_EXCEPTION) {
        if (error.pfnDeferredFillIn != nullptr) error.pfnDeferredFillIn(&error);
        std::wstring description = error.bstrDescription != nullptr ? error.bstrDescription : OleErrorText(error.scode);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        throw EOleException(description);
    }
    ThrowIfFailed(hr);
}

void TOleControl::GetProperty(DISPID id, VARIANT& result) {
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    VariantInit(&result);
    Invoke(id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params, &result);
}

void TOleControl::SetProperty(DISPID id, const VARIANT& value) {
    DISPID named = DISPID_PROPERTYPUT;
    VARIANT argument = value;  // Invoke does not change its arguments
    DISPPARAMS params = {&argument, &named, 1, 1};
    Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr);
}

void TOleControl::InvokeMethod(DISPID id, VARIANT* argumentsReversed, UINT count, VARIANT* result) {
    DISPPARAMS params = {argumentsReversed, nullptr, count, 0};
    VARIANT ignored;
    VariantInit(&ignored);
    Invoke(id, DISPATCH_METHOD, params, result != nullptr ? result : &ignored);
    if (result == nullptr) VariantClear(&ignored);
}

std::wstring TOleControl::GetWideStringProp(DISPID id) {
    VARIANT value;
    GetProperty(id, value);
    std::wstring text;
    if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) && value.bstrVal != nullptr)
        text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return text;
}

void TOleControl::SetWideStringProp(DISPID id, const std::wstring& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    try {
        SetProperty(id, value);
    } catch (...) {
        VariantClear(&value);
        throw;
    }
    VariantClear(&value);
}

int TOleControl::GetIntegerProp(DISPID id) {
    VARIANT value;
    GetProperty(id, value);
    HRESULT hr = VariantChangeType(&value, &value, 0, VT_I4);
    int result = SUCCEEDED(hr) ? value.lVal : 0;
    VariantClear(&value);
    ThrowIfFailed(hr);
    return result;
}

void TOleControl::SetIntegerProp(DISPID id, int number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    SetProperty(id, value);
}

bool TOleControl::GetWordBoolProp(DISPID id) {
    VARIANT value;
    GetProperty(id, value);
    HRESULT hr = VariantChangeType(&value, &value, 0, VT_BOOL);
    bool result = SUCCEEDED(hr) && value.boolVal != VARIANT_FALSE;
    VariantClear(&value);
    ThrowIfFailed(hr);
    return result;
}

void TOleControl::SetWordBoolProp(DISPID id, bool flag) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    SetProperty(id, value);
}

void TOleControl::CallMethod(DISPID id) { InvokeMethod(id, nullptr, 0, nullptr); }

void TOleControl::CallMethod(DISPID id, const std::wstring& argument) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(argument.data(), static_cast<UINT>(argument.size()));
    try {
        InvokeMethod(id, &value, 1, nullptr);
    } catch (...) {
        VariantClear(&value);
        throw;
    }
    VariantClear(&value);
}

}  // namespace tk

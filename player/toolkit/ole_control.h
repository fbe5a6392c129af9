// The OLE control container: TOleControl hosts one in-process ActiveX control, drives it by
// dispatch id and receives its events through a connection point. Creation failure (class not
// registered, ...) raises EOleSysError from the constructor. The control's in-place window is
// the Handle; it carries the ControlOfs property and is subclassed once by the layer.
#pragma once

#include <ole2.h>
#include <ocidl.h>

#include <string>

#include "win_control.h"

namespace tk {

class OleSite;
class OleEventSink;

std::wstring OleErrorText(HRESULT result);

class TOleControl : public TWinControl {
    TK_CLASS(TOleControl)
public:
    // `extent` is the initial size in HIMETRIC (0.01 mm).
    TOleControl(TComponent* owner, const CLSID& classId, const IID& eventsId, SIZEL extent);
    ~TOleControl() override;

    IDispatch* DefaultDispatch() const { return dispatch_; }
    IOleObject* OleObject() const { return oleObject_; }

    // Automation by dispatch id; a failing call raises EOleException (with the control's
    // description) or EOleSysError.
    void GetProperty(DISPID id, VARIANT& result);
    void SetProperty(DISPID id, const VARIANT& value);
    void InvokeMethod(DISPID id, VARIANT* argumentsReversed, UINT count, VARIANT* result);

    std::wstring GetWideStringProp(DISPID id);
    void SetWideStringProp(DISPID id, const std::wstring& value);
    int GetIntegerProp(DISPID id);
    void SetIntegerProp(DISPID id, int value);
    bool GetWordBoolProp(DISPID id);
    void SetWordBoolProp(DISPID id, bool value);
    void CallMethod(DISPID id);
    void CallMethod(DISPID id, const std::wstring& argument);

    void SetBounds(int left, int top, int width, int height) override;

    // The sink calls this for every event (on the GUI thread, inside the callback guard).
    virtual void InvokeEvent(DISPID id, DISPPARAMS* params);

protected:
    void CreateHandle() override;

private:
    friend class OleSite;
    void Teardown();
    void Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result);
    HWND SiteWindow() const;

    IOleObject* oleObject_ = nullptr;
    IDispatch* dispatch_ = nullptr;
    IOleInPlaceObject* inPlaceObject_ = nullptr;
    IConnectionPoint* connectionPoint_ = nullptr;
    DWORD cookie_ = 0;
    OleSite* site_ = nullptr;
    OleEventSink* sink_ = nullptr;
};

// Argument helpers for event handlers: the i-th argument (in call order) as an integer.
int EventIntegerArgument(DISPPARAMS* params, UINT index, int fallback);

}  // namespace tk

// Message records and numbers of the window layer.
//
// Reserved numbers that the layer never sends or defines: 0x3401, 0x3502-0x3523 and
// 0xBC4A-0xBC4E (the skin engine's private messages; 0xBC4E doubles as CN_NOTIFY), and 0xB021,
// 0xB0D0. The layer's own private messages lie in WM_APP + 0x100 ... WM_APP + 0x1FF.
#pragma once

#include <windows.h>

namespace tk {

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// The level-2 window procedure of a control: a bound method held as a comparable value, so a
// hook can save the current one, install its own and later put the saved one back.
struct TWndMethod {
    void* Data = nullptr;
    void (*Code)(void*, TMessage&) = nullptr;
    bool operator==(const TWndMethod& other) const { return Data == other.Data && Code == other.Code; }
    bool operator!=(const TWndMethod& other) const { return !(*this == other); }
    void operator()(TMessage& message) const { Code(Data, message); }
};

// Binds a member function `void C::M(TMessage&)` of an object into a TWndMethod.
template <class C, void (C::*M)(TMessage&)>
TWndMethod MakeWndMethod(C* object) {
    TWndMethod method;
    method.Data = object;
    method.Code = [](void* data, TMessage& message) { (static_cast<C*>(data)->*M)(message); };
    return method;
}

// Control notifications: sent by the layer, listened to by controls and the skin engine.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = 0xB005;
constexpr UINT CM_FOCUSCHANGED = 0xB007;
constexpr UINT CM_VISIBLECHANGED = 0xB00B;
constexpr UINT CM_ENABLEDCHANGED = 0xB00C;
constexpr UINT CM_MOUSEENTER = 0xB013;
constexpr UINT CM_MOUSELEAVE = 0xB014;
constexpr UINT CM_MENUCHANGED = 0xB015;
constexpr UINT CM_EXIT = 0xB01B;
constexpr UINT CM_RECREATEWND = 0xB033;

// Reflected notifications: a parent hands these messages of its own child controls back to them.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

// The skin engine marks its own SKIN_APPLIED (same number as CN_NOTIFY) with this lParam.
constexpr LPARAM kSkinAppliedMarker = 16802;

// The layer's private messages.
constexpr UINT WM_TK_SYNCHRONIZE = WM_APP + 0x100;  // application window: run a worker's method
constexpr UINT WM_TK_RELEASE = WM_APP + 0x101;      // form: free it (deferred Release)

}  // namespace tk

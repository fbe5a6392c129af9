#include "spin_edit.h"

#include <windowsx.h>

#include "published_properties.h"
#include "str_to_int.h"

namespace tk {
namespace {
constexpr int kButtonWidth = 15;
constexpr UINT_PTR kRepeatTimer = 1;
}  // namespace

TK_CLASS_INFO(TSpinButton, TWinControl)
TK_CLASS_INFO(TSpinEdit, TCustomEdit, {
    PublishInteger<Self>(c, L"Value", &Self::Value, &Self::SetValue);
    PublishInteger<Self>(c, L"Increment", &Self::Increment, &Self::SetIncrement);
})

TSpinButton::TSpinButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, kButtonWidth, 21); }

void TSpinButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style &= ~(WS_TABSTOP | 0x40u);  // not a tab stop; bit 0x40 stays clear (vertical halves)
}

void TSpinButton::PaintWindow(HDC dc) {
    RECT r = ClientRect();
    RECT up{0, 0, r.right, r.bottom / 2}, down{0, r.bottom / 2, r.right, r.bottom};
    DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | (direction_ > 0 ? DFCS_PUSHED : 0));
    DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | (direction_ < 0 ? DFCS_PUSHED : 0));
}

void TSpinButton::Step() {
    if (edit_ != nullptr && direction_ != 0) edit_->SetValue(edit_->Value() + direction_ * edit_->Increment());
}

void TSpinButton::Dispatch(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        direction_ = GET_Y_LPARAM(message.LParam) < ClientHeight() / 2 ? 1 : -1;
        SetCapture(Handle());
        Step();
        SetTimer(Handle(), kRepeatTimer, 400, nullptr);
        Invalidate();
        message.Result = 0;
        return;
    case WM_TIMER:
        if (message.WParam == kRepeatTimer) {
            SetTimer(Handle(), kRepeatTimer, 100, nullptr);
            Step();
            message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (direction_ != 0) {
            direction_ = 0;
            KillTimer(Handle(), kRepeatTimer);
            if (message.Msg == WM_LBUTTONUP) ReleaseCapture();
            Invalidate();
        }
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner), button_(new TSpinButton(this)) {
    button_->SetEdit(this);
    button_->SetParent(this);
    TCustomEdit::SetText(L"0");
    BoundsChanged();
}

void TSpinEdit::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::AfterCreateHandle() {
    SendMessageW(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kButtonWidth));
}

void TSpinEdit::BoundsChanged() {
    int inner = Height() - 4;  // inside the client edge
    if (button_ != nullptr) button_->SetBounds(Width() - 4 - kButtonWidth, 0, kButtonWidth, inner > 0 ? inner : 0);
}

int TSpinEdit::Clamp(int value) const {
    if (minValue_ == maxValue_) return value;
    if (value < minValue_) return minValue_;
    if (value > maxValue_) return maxValue_;
    return value;
}

int TSpinEdit::Value() const { return Clamp(StrToIntDef(Text(), minValue_)); }

void TSpinEdit::SetValue(int value) { SetText(std::to_wstring(Clamp(value))); }

void TSpinEdit::WndProc(TMessage& message) {
    if (message.Msg == WM_CHAR && !editorEnabled_) {
        message.Result = 0;  // typing is ignored; the buttons change the value
        return;
    }
    TCustomEdit::WndProc(message);
}

}  // namespace tk

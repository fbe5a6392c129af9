#include "control.h"

#include <windowsx.h>

#include "menus.h"
#include "published_properties.h"
#include "win_control.h"

namespace tk {

TK_CLASS_INFO(TControl, TComponent, {
    PublishBool<Self>(c, L"Visible", &Self::Visible, &Self::SetVisible);
    PublishBool<Self>(c, L"Enabled", &Self::Enabled, &Self::SetEnabled);
    PublishInteger<Self>(c, L"Left", &Self::Left, &Self::SetLeft);
    PublishInteger<Self>(c, L"Top", &Self::Top, &Self::SetTop);
    PublishInteger<Self>(c, L"Width", &Self::Width, &Self::SetWidth);
    PublishInteger<Self>(c, L"Height", &Self::Height, &Self::SetHeight);
    PublishString<Self>(c, L"Hint", &Self::Hint, &Self::SetHint);
    PublishInteger<Self>(c, L"Tag", &Self::Tag, &Self::SetTag);
})

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
    windowProc_ = DefaultWindowProc();
}

TControl::~TControl() {
    BeginDestroy();
    if (parent_ != nullptr) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_ != nullptr) parent_->RemoveControl(this);
    if (parent != nullptr) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (constraints_.MinWidth > 0 && width < constraints_.MinWidth) width = constraints_.MinWidth;
    if (constraints_.MinHeight > 0 && height < constraints_.MinHeight) height = constraints_.MinHeight;
    if (constraints_.MaxWidth > 0 && width > constraints_.MaxWidth) width = constraints_.MaxWidth;
    if (constraints_.MaxHeight > 0 && height > constraints_.MaxHeight) height = constraints_.MaxHeight;
    bool changed = left != left_ || top != top_ || width != width_ || height != height_;
    if (changed && !IsWindowed() && parent_ != nullptr) Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (!changed) return;
    if (parent_ != nullptr && !parent_->Aligning()) RememberAnchorDistances();
    if (!IsWindowed() && parent_ != nullptr) Invalidate();
    BoundsChanged();
    if (align_ != TAlign::alNone) RequestAlign();
}

void TControl::RememberAnchorDistances() {
    if (parent_ == nullptr) return;
    anchorRightGap_ = parent_->ClientWidth() - (left_ + width_);
    anchorBottomGap_ = parent_->ClientHeight() - (top_ + height_);
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    RequestAlign();
}

void TControl::SetAnchors(unsigned anchors) {
    anchors_ = anchors;
    RememberAnchorDistances();
}

void TControl::RequestAlign() {
    if (parent_ != nullptr) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (parent_ != nullptr) {
        RECT r = BoundsRect();
        HWND host = ParentHandle();
        if (host != nullptr) InvalidateRect(host, &r, TRUE);
    }
    Notify(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(CM_ENABLEDCHANGED, enabled ? 1 : 0, 0);
    Invalidate();
}

void TControl::SetColor(TColor color) {
    color_ = color;
    parentColor_ = false;
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v && parent_ != nullptr) {
        color_ = parent_->Color();
        ColorChanged();
    }
}

TFont* TControl::EffectiveFont() const {
    const TControl* c = this;
    while (c->parentFont_ && c->parent_ != nullptr) c = c->parent_;
    return c->font_.get();
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    TextChanged();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (popupMenu_ != nullptr) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu != nullptr) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
    TComponent::Notification(component, operation);
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
    TMessage message{msg, wparam, lparam, 0};
    windowProc_(message);
    return message.Result;
}

LRESULT TControl::Notify(UINT msg, WPARAM wparam, LPARAM lparam) { return Perform(msg, wparam, lparam); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::Invalidate() {
    HWND host = ParentHandle();
    if (host == nullptr) return;
    RECT r = BoundsRect();
    InvalidateRect(host, &r, TRUE);
}

void TControl::Repaint() {
    Invalidate();
    Update();
    if (parent_ != nullptr) parent_->Update();
}

HWND TControl::ParentHandle() const {
    return parent_ != nullptr && parent_->HandleAllocated() ? parent_->Handle() : nullptr;
}

bool TControl::DoContextPopup(POINT clientPos) {
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, clientPos, handled);
    if (!handled && popupMenu_ != nullptr) {
        POINT screen;
        GetCursorPos(&screen);
        popupMenu_->SetPopupComponent(this);
        popupMenu_->Popup(screen.x, screen.y);
        handled = true;
    }
    return handled;
}

void TControl::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        TMouseButton button = message.Msg == WM_LBUTTONDOWN ? TMouseButton::mbLeft
                            : message.Msg == WM_RBUTTONDOWN ? TMouseButton::mbRight : TMouseButton::mbMiddle;
        if (button == TMouseButton::mbLeft) leftPressed_ = true;
        MouseDown(button, static_cast<unsigned>(message.WParam), GET_X_LPARAM(message.LParam),
                  GET_Y_LPARAM(message.LParam));
        break;
    }
    case WM_LBUTTONUP:
        // Graphic controls click on release inside; windowed controls click through their own
        // notifications (BN_CLICKED) and ignore this.
        if (leftPressed_ && !IsWindowed()) {
            leftPressed_ = false;
            POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            RECT r = ClientRect();
            if (PtInRect(&r, p)) Click();
        }
        leftPressed_ = false;
        break;
    case WM_LBUTTONDBLCLK:
        if (DblClickFromMouse() && OnDblClick) OnDblClick(this);
        break;
    default:
        break;
    }
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message) { DefaultHandler(message); }

void TControl::DefaultHandler(TMessage& message) { message.Result = 0; }

}  // namespace tk

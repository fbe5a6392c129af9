// The non-client mouse of a skinned window: which caption button or menu-bar item is under the
// pointer, their hot and pressed states, what a caption button does when released, and the
// hover timer that lets go of a hot object once the pointer has left it (the system tells a
// window nothing when the pointer leaves its non-client area).
#include "skin_menu_bar.h"
#include "skin_objects.h"
#include "win_skin_form.h"

namespace skin {

namespace {

POINT PointOf(LPARAM lparam) {
    return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

// Consumed: nothing after the handler sees the message.
void Consume(tk::TMessage& message) {
    message.Result = 0;
    message.Msg = 0;
}

}  // namespace

POINT TWinSkinForm::ToWindowPoint(POINT screen) const {
    POINT p = screen;
    ScreenToClient(ctx_.Handle, &p);
    const FormFrameState& f = ctx_.Frame;
    if (!(f.IsMdiChild() && f.WindowState == wsMinimized)) {
        p.x += f.BorderLeft;
        p.y += f.BorderTop + f.MenuBarHeight;
    }
    return p;
}

TNCObject* TWinSkinForm::HitObject(POINT windowPoint) const {
    for (const auto& button : ctx_.SysButtons)
        if (button->Visible && button->Skin->Action >= 0 && button->Contains(windowPoint)) return button.get();
    if (ctx_.MenuBar != nullptr)
        for (const auto& item : ctx_.MenuBar->Buttons)
            if (!item->Caption.empty() && item->Contains(windowPoint)) return item.get();
    return nullptr;
}

void TWinSkinForm::PaintCaptionButton(TWinSysButton& button) { skin::PaintCaptionButton(ctx_, button); }

void TWinSkinForm::ForgetHotObject() {
    if (hotObject_ == nullptr) return;
    TNCObject* hot = hotObject_;
    hot->MouseLeave();
    hotObject_ = nullptr;
}

// The caption is the whole band above the client area; the menu band answers as a menu, so a
// click there never starts a move (the menu rule is applied last, as it lies inside the first).
void TWinSkinForm::HandleNCHitTest(tk::TMessage& message) {
    CallDefault(message);
    if (message.Result != HTNOWHERE && message.Result != HTCAPTION) return;
    const POINT p = ToWindowPoint(PointOf(message.LParam));
    if (p.y > 3) message.Result = HTCAPTION;
    if (p.y >= ctx_.Frame.BorderTop && ctx_.Frame.MenuBarHeight > 0) message.Result = HTMENU;
}

void TWinSkinForm::HandleNCMouseMove(tk::TMessage& message) {
    if (!ctx_.Frame.WindowActive) {
        Consume(message);
        return;
    }
    if (TNCObject* object = HitObject(ToWindowPoint(PointOf(message.LParam)))) {
        object->MouseMove();
        Consume(message);
        return;
    }
    ForgetHotObject();
    CallDefault(message);
}

void TWinSkinForm::HandleNCLButtonDown(tk::TMessage& message) {
    if (TNCObject* object = HitObject(ToWindowPoint(PointOf(message.LParam)))) {
        if (!ctx_.Frame.WindowActive) SetForegroundWindow(ctx_.Handle);
        object->MouseDown();
        if (auto* item = dynamic_cast<TMenuBtn*>(object)) {
            ctx_.MenuBar->OpenMenuButton(*item);
            hotObject_ = item;
        }
        Consume(message);
        return;
    }
    // A maximized window cannot be dragged by its caption.
    if (ctx_.Frame.WindowState == wsMaximized && message.WParam == HTCAPTION && ctx_.Frame.WindowActive)
        message.WParam = HTMENU;
    CallDefault(message);
}

void TWinSkinForm::HandleNCLButtonUp(tk::TMessage& message) {
    const POINT screen = PointOf(message.LParam);
    TNCObject* object = HitObject(ToWindowPoint(screen));
    if (object == nullptr) {
        CallDefault(message);
        return;
    }
    auto* button = dynamic_cast<TWinSysButton*>(object);
    if (button != nullptr && button == hotObject_) {
        button->MouseUp();
        PerformCaptionAction(button->Skin->Action, button->Enabled, screen);
    }
    Consume(message);
}

void TWinSkinForm::HandleNCLButtonDblClk(tk::TMessage& message) {
    TNCObject* object = HitObject(ToWindowPoint(PointOf(message.LParam)));
    auto* button = dynamic_cast<TWinSysButton*>(object);
    const FormFrameState& f = ctx_.Frame;
    if (object != nullptr) {
        if (button != nullptr && IsIconAction(button->Skin->Action)) {
            hoverTimer_->SetEnabled(false);
            PostMessageW(ctx_.Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        message.Result = 0;
    } else if (f.WindowState != wsNormal) {
        Restore();
        message.Result = 0;
    } else if (f.Has(fiMaximizeBox)) {
        Maximize();
        message.Result = 0;
    } else {
        CallDefault(message);
    }
    ncHandled_ = true;
}

void TWinSkinForm::HandleNCRButtonDown(tk::TMessage& message) {
    if (message.WParam == HTCAPTION && !ctx_.Frame.IsMdiChild()) {
        ShowSysMenu(PointOf(message.LParam));
        Consume(message);
        return;
    }
    CallDefault(message);
}

void TWinSkinForm::HandleOpenMenuAt(tk::TMessage& message) {
    TNCObject* object = HitObject(ToWindowPoint(PointOf(message.LParam)));
    if (auto* item = dynamic_cast<TMenuBtn*>(object)) ctx_.MenuBar->OpenMenuButton(*item);
    Consume(message);
}

void TWinSkinForm::PerformCaptionAction(int action, bool enabled, POINT screenPoint) {
    switch (action) {
    case 0:
        if (HasCloseItem()) {
            hoverTimer_->SetEnabled(false);
            PostMessageW(ctx_.Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return;
    case 1:
    case 22:
        if (enabled) Maximize();
        return;
    case 2:
    case 23:
        if (enabled) Minimize();
        return;
    case 3:
    case 11:
    case 12: ShowSysMenu(POINT{screenPoint.x + 1, screenPoint.y + 1}); return;
    case 7:
    case 60:
    case 8:
    case 61:
    case 9:
    case 62: return;  // the buttons of a maximized MDI child: no MDI frames are skinned yet
    default: PostMessageW(ctx_.Handle, SKIN_CAPTIONACTION, static_cast<WPARAM>(action), 0); return;
    }
}

void TWinSkinForm::CheckHover() {
    if (inMenuLoop_ || hotObject_ == nullptr) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (!hotObject_->Contains(ToWindowPoint(cursor))) ForgetHotObject();
}

}  // namespace skin

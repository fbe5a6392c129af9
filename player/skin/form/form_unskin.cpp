// Letting go of a window: when the skin is taken off a living window everything is given back
// (procedures, styles, menu, colour, and a size that keeps the client area); when the window is
// being destroyed only the procedures are.
#include "form.h"
#include "procedure_relay.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {

void TWinSkinForm::RestoreProcedures() {
    if (relay_ == nullptr) return;
    relay_->Release();
    relay_ = nullptr;
}

// Without the skinned frame only the colour and the procedures were taken.
void TWinSkinForm::UnskinControlsOnly() {
    if (hoverTimer_ != nullptr) hoverTimer_->SetEnabled(false);
    RestoreProcedures();
    if (ctx_.SkinState == ssDestroying || form_ == nullptr) return;
    RestoreFormColour();
    for (int i = 0; i < form_->ComponentCount(); ++i)
        if (auto* control = dynamic_cast<tk::TControl*>(form_->Components(i))) control->Invalidate();
}

void TWinSkinForm::Unskin() {
    if (!ctx_.SkinFrame) {
        UnskinControlsOnly();
        return;
    }
    if (hoverTimer_ != nullptr) hoverTimer_->SetEnabled(false);
    const bool destroying = ctx_.SkinState == ssDestroying;
    RestoreProcedures();
    if (!destroying) RestoreFormColour();

    SetSysMenuStyle(ctx_, false);
    SetCaptionStyle(true);
    hotObject_ = nullptr;
    if (ctx_.MenuBar != nullptr) {
        if (ctx_.MenuBar->MenuHandle == nullptr) ctx_.MenuBar->MenuHandle = menuHandle_;
        ctx_.MenuBar->GiveBackMenu();
        delete ctx_.MenuBar;
        ctx_.MenuBar = nullptr;
        ctx_.Frame.HasMenuBar = false;
    }
    if (!destroying && started_ && !(isChild_ && !ctx_.Frame.IsMdiChild())) ResizeToNativeFrame();
    RemoveWindowRegion(ctx_);
}

// The window keeps its client size under the native frame again.
void TWinSkinForm::ResizeToNativeFrame() {
    RECT window{};
    GetWindowRect(ctx_.Handle, &window);
    const FormFrameState& f = ctx_.Frame;
    const int width = (window.right - window.left) + nativeFrameWidth_ - f.BorderLeft - f.BorderRight;
    const int height = (window.bottom - window.top) + nativeFrameHeight_ - f.BorderTop - f.BorderBottom;
    SetWindowPos(ctx_.Handle, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::UnskinForDestroy() {
    if (!ctx_.SkinFrame) {
        UnskinControlsOnly();
        return;
    }
    if (hoverTimer_ != nullptr) hoverTimer_->SetEnabled(false);
    RestoreProcedures();
    hotObject_ = nullptr;
    if (ctx_.MenuBar != nullptr) {
        delete ctx_.MenuBar;
        ctx_.MenuBar = nullptr;
        ctx_.Frame.HasMenuBar = false;
    }
}

}  // namespace skin

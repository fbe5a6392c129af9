// SKIN_START: the skinning proper, posted once the manager has listed the skinner. The window
// gets its skinned size, its region and frame, and the program hears that it is skinned.
#include "draw_transparent.h"
#include "form.h"
#include "skin_data.h"
#include "win_skin_form.h"

namespace skin {

void TWinSkinForm::HandleSkinStart() {
    started_ = true;
    HWND window = ctx_.Handle;
    ctx_.SystemMenu = GetSystemMenu(window, FALSE);
    LoadIcon();
    RECT windowRect{}, clientRect{};
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &clientRect);
    nativeFrameWidth_ = (windowRect.right - windowRect.left) - clientRect.right;
    nativeFrameHeight_ = (windowRect.bottom - windowRect.top) - clientRect.bottom;
    // The child controls get their skinners here once control dispatch exists.

    const FormFrameState& frame = ctx_.Frame;
    if (ctx_.SkinState == ssAttached && ctx_.SkinFrame && !isChild_ && frame.HasCaption() &&
        frame.WindowState != wsMinimized && !frame.IsMdiChild()) {
        ctx_.SkinState = ssFirstSizing;
        ResizeToSkin(false);
        ctx_.SkinState = ssSkinned;
        if (frame.WindowState == wsMaximized) FrameChanged();
        else RefreshRegionAndFrame(ctx_);
    }
    FinishSkinning();
}

// The end of skinning and of re-colouring alike.
void TWinSkinForm::FinishSkinning() {
    SendMessageW(ctx_.Handle, SKIN_APPLIED, 0, kSkinMagic);
    if (ctx_.Skin->OnAfterSkinForm) ctx_.Skin->OnAfterSkinForm(form_, ctx_.Handle, classText_);
    ctx_.SkinState = ssSkinned;
    if (hoverTimer_ != nullptr) hoverTimer_->SetEnabled(true);
}

void TWinSkinForm::FrameChanged() {
    SetWindowPos(ctx_.Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::LoadIcon() {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    iconSize_ = cx;
    iconBitmap_.SetSize(cx, cy);
    auto icon = reinterpret_cast<HICON>(SendMessageW(ctx_.Handle, WM_GETICON, ICON_SMALL, 0));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(ctx_.Handle, WM_GETICON, ICON_BIG, 0));
    iconHandle_ = icon;
    if (icon == nullptr) return;  // the bitmap keeps what it holds
    auto copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
    if (copy == nullptr) return;
    DrawIconEx(iconBitmap_.Canvas().Handle(), 0, 0, copy, cx, cy, 0, nullptr, DI_NORMAL);
    DestroyIcon(copy);
}

void TWinSkinForm::DrawIcon(HDC dc, const RECT& rect) {
    if (iconHandle_ != nullptr) {
        auto copy = static_cast<HICON>(CopyImage(iconHandle_, IMAGE_ICON, iconSize_, iconSize_, LR_COPYFROMRESOURCE));
        if (copy != nullptr) {
            DrawIconEx(dc, rect.left, rect.top, copy, iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
            DestroyIcon(copy);
        }
        return;
    }
    if (iconBitmap_.Empty()) return;
    DrawTransparent(dc, rect, iconBitmap_, 0xFF00FF);
}

}  // namespace skin

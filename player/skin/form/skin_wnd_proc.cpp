// The replaced window procedure. Stage one runs for every skinned window; stage two only where
// the skin draws the frame, and there the painting and non-client mouse messages wait for
// SKIN_START (until then the native frame rules, but nothing paints it).
#include "skin_data.h"
#include "skin_manager_seam.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {

namespace {

constexpr UINT kThemeCaptionMessage = 0x00AE;  // the theme's own caption drawing

}  // namespace

void TWinSkinForm::CallDefault(tk::TMessage& message) {
    message.Result = CallWindowProcA(oldWndProc_, ctx_.Handle, message.Msg, message.WParam, message.LParam);
}

void TWinSkinForm::SkinWndProc(tk::TMessage& message) {
    if (DispatchStageOne(message)) return;
    if (ctx_.SkinFrame) DispatchStageTwo(message);
    else CallDefault(message);
}

bool TWinSkinForm::DispatchStageOne(tk::TMessage& message) {
    switch (message.Msg) {
    case WM_NCPAINT:
        if (ctx_.SkinState != ssAttached) return false;
        message.Result = 0;
        return true;
    case WM_ERASEBKGND:
        CallDefault(message);
        if (form_ == nullptr && ctx_.Skin->BackgroundBrush != nullptr) {
            RECT client{};
            GetClientRect(ctx_.Handle, &client);
            FillRect(reinterpret_cast<HDC>(message.WParam), &client, ctx_.Skin->BackgroundBrush);
            message.Result = 1;
        }
        return true;
    case WM_NCDESTROY:
        ctx_.SkinState = ssDestroying;
        UnskinForDestroy();
        CallDefault(message);
        ctx_.SkinState = ssDestroyed;
        return true;
    case WM_NCACTIVATE:
        if (ctx_.SkinState != ssAttached || ctx_.Frame.IsMdiChild()) return false;
        message.Result = 0;
        return true;
    case kThemeCaptionMessage:
        message.Result = 0;
        return true;
    case WM_INITMENUPOPUP:
        EnsureSkinManager().SetMenuKind(reinterpret_cast<HMENU>(message.WParam) == ctx_.SystemMenu ? 2 : 1);
        CallDefault(message);
        return true;
    case WM_CTLCOLORBTN:
        CallDefault(message);
        if (form_ == nullptr) SetBkMode(reinterpret_cast<HDC>(message.WParam), TRANSPARENT);
        return true;
    case WM_CTLCOLORSTATIC:
        CallDefault(message);
        if (form_ == nullptr) {
            SetBkMode(reinterpret_cast<HDC>(message.WParam), TRANSPARENT);
            message.Result = reinterpret_cast<LRESULT>(ctx_.Skin->BackgroundBrush);
        }
        return true;
    case SKIN_START:
        HandleSkinStart();
        message.Result = 0;
        return true;
    case SKIN_RESKINSCROLL:
        message.Result = 0;  // no scroll-bar skinners yet
        return true;
    case SKIN_QUERY:
        message.Result = 1;
        PostMessageW(ctx_.Handle, SKIN_APPLIED, 0, kSkinMagic);
        return true;
    default:
        return false;
    }
}

void TWinSkinForm::DispatchStageTwo(tk::TMessage& message) {
    if (isChild_ && !ctx_.Frame.IsMdiChild()) {
        CallDefault(message);
        return;
    }
    switch (message.Msg) {
    case WM_SIZE: HandleSize(message); return;
    case WM_ACTIVATE: ctx_.Frame.WindowActive = LOWORD(message.WParam) != WA_INACTIVE; break;
    case WM_NCACTIVATE: ctx_.Frame.WindowActive = message.WParam != 0; break;
    case WM_GETMINMAXINFO: HandleGetMinMaxInfo(message); return;
    case WM_WINDOWPOSCHANGED:
        ReadWindowState(ctx_);
        CallDefault(message);
        return;
    case WM_COMMAND: HandleCommand(message); return;
    case WM_SYSCOMMAND: HandleSysCommand(message); return;
    case SKIN_OPENMENUAT: HandleOpenMenuAt(message); return;
    case tk::CM_MENUCHANGED: HandleMenuChanged(message); return;
    default: break;
    }
    const bool maximizedMdiChild = ctx_.Frame.IsMdiChild() && ctx_.Frame.WindowState == wsMaximized;
    if (maximizedMdiChild || ctx_.SkinState == ssAttached || !DispatchFrameMessages(message)) CallDefault(message);
}

// The painting and non-client mouse messages; false for every other message.
bool TWinSkinForm::DispatchFrameMessages(tk::TMessage& message) {
    const CallDefaultProc callDefault = [this](tk::TMessage& m) { CallDefault(m); };
    switch (message.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_WINDOWPOSCHANGING:
        return false;  // owner-drawn menu items are not painted by the skin yet
    case WM_NCCALCSIZE: HandleNCCalcSize(ctx_, message, callDefault); return true;
    case WM_NCPAINT: HandleNCPaint(ctx_, message, callDefault); return true;
    case SKIN_PAINTFRAME:
        PaintNonClient(ctx_, nullptr);
        message.Result = 0;
        return true;
    case WM_NCHITTEST: HandleNCHitTest(message); return true;
    case WM_NCMOUSEMOVE: HandleNCMouseMove(message); return true;
    case WM_NCLBUTTONDOWN: HandleNCLButtonDown(message); return true;
    case WM_NCLBUTTONUP: HandleNCLButtonUp(message); return true;
    case WM_NCLBUTTONDBLCLK: HandleNCLButtonDblClk(message); return true;
    case WM_NCRBUTTONDOWN: HandleNCRButtonDown(message); return true;
    case WM_NCACTIVATE: HandleNCActivate(message); return true;
    default: return false;
    }
}

// The native caption is never drawn: the skinned frame repaints in its new activation.
void TWinSkinForm::HandleNCActivate(tk::TMessage& message) {
    ctx_.Frame.WindowActive = message.WParam != 0;
    if (hoverTimer_ != nullptr) hoverTimer_->SetEnabled(ctx_.Frame.WindowActive);
    if (ctx_.Frame.IsMdiChild()) CallDefault(message);
    if (!(ctx_.Frame.IsMdiChild() && ctx_.Frame.WindowState == wsMaximized)) PaintNonClient(ctx_, nullptr);
    message.Result = 1;
}

// The toolkit put a changed menu back on the window: the bar takes it over again.
void TWinSkinForm::HandleMenuChanged(tk::TMessage& message) {
    // The form's own handling puts its menu back on the window and redraws the bar; the skin
    // paints no frame meanwhile, so the native bar never shows for that moment.
    const bool painting = ctx_.Skin->NcPaintEnabled;
    ctx_.Skin->NcPaintEnabled = false;
    try {
        CallDefault(message);
    } catch (...) {
        ctx_.Skin->NcPaintEnabled = painting;
        throw;
    }
    ctx_.Skin->NcPaintEnabled = painting;
    HMENU menu = GetMenu(ctx_.Handle);
    if (menu == nullptr) return;
    if (ctx_.MenuBar != nullptr && ctx_.Skin->MenuUpdate()) {
        ctx_.MenuBar->MenuHandle = menu;
        ctx_.MenuBar->BuildFromWindowMenu();
    }
    SetMenu(ctx_.Handle, nullptr);
}

}  // namespace skin

// The hook in front of the toolkit form's WindowProc: the caption text, re-colouring, the menu
// bar's accelerators and the engine's queries reach the form here, before its own handling.
#include "form.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {

void TWinSkinForm::FormWindowProc(tk::TMessage& message) {
    accelHandled_ = false;
    switch (message.Msg) {
    case WM_SETTEXT: HandleSetText(message); return;
    case SKIN_RECOLOR:
        Recolor();
        ncHandled_ = true;
        return;
    case tk::CM_DIALOGKEY: HandleDialogKey(message); return;
    case SKIN_FRAMEREGION:
        if (message.LParam != kSkinMagic) return;  // not ours: swallowed, as it always was
        if (message.WParam != 0) {
            tk::TMessage paint{WM_NCPAINT, message.WParam, 0, 0};
            HandleNCPaint(ctx_, paint, [this](tk::TMessage& m) { CallDefault(m); });
        }
        message.Result = kSkinMagic;
        return;
    case SKIN_PRESENT: message.Result = message.LParam == kSkinMagic ? kSkinMagic : 1; return;
    default: oldFormProc_(message); return;
    }
}

// The system paints the native caption as soon as it stores the text; with redrawing off it
// cannot, and the skinned caption is repainted after. No messages are pumped here: whatever
// ran in between could free the form or this skinner under the handler.
void TWinSkinForm::HandleSetText(tk::TMessage& message) {
    HWND window = ctx_.Handle;
    if (!IsWindowVisible(window)) {
        oldFormProc_(message);
        return;
    }
    if (ctx_.IsUnicode || ctx_.Frame.IsMdiChild()) {
        oldFormProc_(message);
    } else {
        SendMessageA(window, WM_SETREDRAW, FALSE, 0);
        oldFormProc_(message);
        SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    }
    if (ctx_.Frame.WindowState == wsMinimized) PaintNonClient(ctx_, nullptr);
    else FrameChanged();
    accelHandled_ = true;
}

// Alt+letter opens the menu-bar item with that accelerator when the form itself has no use
// for the key.
void TWinSkinForm::HandleDialogKey(tk::TMessage& message) {
    oldFormProc_(message);
    if (message.Result != 0) return;
    const bool altOnly = (message.LParam & (1 << 29)) != 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0;
    if (ctx_.MenuBar == nullptr || !altOnly) return;
    TMenuBtn* item = ctx_.MenuBar->FindByAccelerator(static_cast<wchar_t>(message.WParam));
    if (item == nullptr) return;
    // A running menu loop ends first, so the posted click opens the item after it, not inside.
    EndMenu();
    GetWindowRect(ctx_.Handle, &ctx_.WindowRect);
    const int x = item->Rect.left + ctx_.WindowRect.left + 1, y = item->Rect.top + ctx_.WindowRect.top + 1;
    PostMessageW(ctx_.Handle, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(x, y));
    message.Result = 1;
    accelHandled_ = true;
}

}  // namespace skin

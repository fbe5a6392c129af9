// The skinned frame's geometry and the native styles that go with it: border sizes and caption
// buttons from the skin, the window size the frame needs, the stripped caption style, and the
// window state as the caption buttons and system commands change it.
#include <algorithm>
#include <string>

#include "caption_style.h"
#include "form.h"
#include "model_views.h"
#include "skin_data.h"
#include "skin_manager_seam.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {

void TWinSkinForm::FreeCaptionButtons() {
    if (hotObject_ != nullptr && dynamic_cast<TWinSysButton*>(hotObject_) != nullptr) hotObject_ = nullptr;
    ctx_.SysButtons.clear();
}

void TWinSkinForm::ComputeBorders() {
    TSkinData* data = ctx_.Skin;
    if (data == nullptr || data->NoSkin) return;
    FormFrameState& frame = ctx_.Frame;
    // A border picture without frames counts as one frame, so a broken skin cannot divide by 0.
    const BorderSizes sizes = skin::ComputeBorderSizes(*data, frame.BorderKind);
    frame.BorderLeft = sizes.Left;
    frame.BorderTop = sizes.Top;
    frame.BorderRight = sizes.Right;
    frame.BorderBottom = sizes.Bottom;
    if (!frame.HasCaption()) frame.MenuBarHeight = 0;

    FreeCaptionButtons();
    for (const auto& entry : data->CaptionButtons) {
        auto button = std::make_unique<TWinSysButton>(this, entry.get());
        button->Enabled = true;
        if (IsIconAction(entry->Action)) {
            LoadIcon();
            if (entry->Image.Empty()) entry->Image.Assign(&iconBitmap_);
            if (data->AppIcon.Empty()) data->AppIcon.Assign(&iconBitmap_);
            entry->Frame = 1;
        }
        ctx_.SysButtons.push_back(std::move(button));
    }
}

void TWinSkinForm::ResizeToSkin(bool keepClient) {
    const FormFrameState& f = ctx_.Frame;
    if (f.WindowState == wsMaximized) {
        FrameChanged();
        return;
    }
    HWND window = ctx_.Handle;
    RECT client{};
    GetClientRect(window, &client);
    int clientWidth = client.right, clientHeight = client.bottom;
    int width = clientWidth + f.BorderLeft + f.BorderRight;
    if (!keepClient && form_ != nullptr) {
        width = form_->ClientWidth() + f.BorderLeft + f.BorderRight;
        clientHeight = form_->ClientHeight() - (f.IsMdiChild() ? 0 : f.MenuBarHeight);
    }
    const int height = clientHeight + f.BorderTop + f.BorderBottom + f.MenuBarHeight;
    if (f.IsDialog && !keepClient) width = WidenForCaption(width);
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
}

// A dialog (a message box, mostly) narrower than its caption text between the title margins is
// widened to show it, and its controls move right by half the extra width to stay centred.
int TWinSkinForm::WidenForCaption(int width) {
    HWND window = ctx_.Handle;
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    HDC dc = GetWindowDC(window);
    HGDIOBJ oldFont = SelectObject(dc, captionFont_.Handle());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, oldFont);
    ReleaseDC(window, dc);
    titleTextWidth_ = extent.cx;

    const TDataSkinTitle* title = ctx_.Skin->Title.get();
    const int needed = (title != nullptr ? title->LeftWidth + title->RightWidth : 0) + titleTextWidth_;
    if (width >= needed) return width;
    const int shift = (needed - width) / 2;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        POINT origin{r.left, r.top};
        ScreenToClient(window, &origin);
        SetWindowPos(child, nullptr, origin.x + shift, origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_NOACTIVATE);
    }
    return needed;
}

void TWinSkinForm::SetCaptionStyle(bool on) {
    const auto style = static_cast<uint32_t>(GetWindowLongW(ctx_.Handle, GWL_STYLE));
    if (auto changed = CaptionStyle(style, ctx_.Frame.BorderIcons, on)) {
        SetWindowLongW(ctx_.Handle, GWL_STYLE, static_cast<LONG>(*changed));
        ctx_.Frame.WindowStyle = *changed;
    }
}

void TWinSkinForm::HandleSize(tk::TMessage& message) {
    CallDefault(message);
    FormFrameState& f = ctx_.Frame;
    switch (message.WParam) {
    case SIZE_RESTORED: f.WindowState = wsNormal; break;
    case SIZE_MINIMIZED: f.WindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: f.WindowState = wsMaximized; break;
    default: break;
    }
    if (f.WindowState == wsMinimized) return;
    if (f.IsMdiChild() && f.WindowState != wsNormal) return;
    if (ctx_.SkinState == ssSkinned || ctx_.SkinState == ssRecoloring) RefreshRegionAndFrame(ctx_);
}

void TWinSkinForm::HandleGetMinMaxInfo(tk::TMessage& message) {
    CallDefault(message);
    ReadWindowState(ctx_);
    SetCaptionStyle(WantsNativeCaption(ctx_.Frame));
}

// The skinned system menu sends its system commands as WM_COMMAND.
void TWinSkinForm::HandleCommand(tk::TMessage& message) {
    switch (LOWORD(message.WParam)) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
        PostMessageW(ctx_.Handle, WM_SYSCOMMAND, LOWORD(message.WParam), 0);
        message.Result = 0;
        return;
    default: CallDefault(message); return;
    }
}

void TWinSkinForm::HandleSysCommand(tk::TMessage& message) {
    const UINT command = static_cast<UINT>(message.WParam) & 0xFFF0;
    FormFrameState& f = ctx_.Frame;
    if (!inMenuLoop_ && command == SC_KEYMENU) {
        const auto key = static_cast<wchar_t>(message.LParam);
        if (key != L' ' && key != L'-' && GetCapture() == nullptr && ctx_.MenuBar != nullptr) {
            TMenuBtn* item = nullptr;
            if (key == 0) item = ctx_.MenuBar->Buttons.empty() ? nullptr : ctx_.MenuBar->Buttons.front().get();
            else item = ctx_.MenuBar->FindByAccelerator(key);
            if (item != nullptr) {
                ctx_.MenuBar->OpenMenuButton(*item);
                message.Result = 1;
                return;
            }
        }
        if (key == L' ') {
            POINT origin{0, 0};
            ClientToScreen(ctx_.Handle, &origin);
            ShowSysMenu(origin);
        }
    }
    if (command == SC_MINIMIZE) {
        f.WindowState = wsMinimized;
        if (f.IsMdiChild()) SetCaptionStyle(true);
    } else if (command == SC_MAXIMIZE) {
        f.WindowState = wsMaximized;
    } else if (command == SC_RESTORE) {
        f.WindowState = wsNormal;
        if (f.IsMdiChild()) SetCaptionStyle(false);
    }
    CallDefault(message);
}

void TWinSkinForm::Maximize() {
    if (ctx_.Frame.WindowState == wsMaximized) {
        Restore();
        return;
    }
    ctx_.Frame.WindowState = wsMaximized;
    PostMessageW(ctx_.Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    hotObject_ = nullptr;
}

void TWinSkinForm::Minimize() {
    if (ctx_.Frame.WindowState == wsMinimized) {
        Restore();
        return;
    }
    ctx_.Frame.WindowState = wsMinimized;
    SetSysMenuStyle(ctx_, false);
    PostMessageW(ctx_.Handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::Restore() {
    ctx_.Frame.WindowState = wsNormal;
    PostMessageW(ctx_.Handle, WM_SYSCOMMAND, SC_RESTORE, 0);
}

bool TWinSkinForm::HasCloseItem() const {
    const bool nineX = (Version & 0x80000000u) != 0;
    const bool nt4 = !nineX && (Version & 0xFF) < 5;
    if (nt4 || nineX) return true;
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    return ctx_.SystemMenu != nullptr && GetMenuItemInfoA(ctx_.SystemMenu, SC_CLOSE, FALSE, &info) != FALSE;
}

}  // namespace skin

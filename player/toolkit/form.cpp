#include "form.h"

#include <commctrl.h>

#include <vector>

#include "application.h"
#include "button.h"
#include "error_report.h"
#include "exceptions.h"
#include "menus.h"
#include "published_properties.h"
#include "screen.h"

namespace tk {

TK_CLASS_INFO(TScrollingWinControl, TWinControl, {
    PublishBool<Self>(c, L"AutoScroll", &Self::AutoScroll, &Self::SetAutoScroll);
})
TK_CLASS_INFO(TCustomForm, TScrollingWinControl, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
})
TK_CLASS_INFO(TForm, TCustomForm)

TCustomForm* GetParentForm(TControl* control) {
    while (control != nullptr && control->Parent() != nullptr) control = control->Parent();
    return DynamicCast<TCustomForm>(control);
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
    if (Screen != nullptr) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    BeginDestroy();
    if (Screen != nullptr) Screen->RemoveForm(this);
    if (Application != nullptr) Application->FormDestroyed(this);
    if (menu_ != nullptr) menu_->SetForm(nullptr);
    // DestroyWindow would destroy the attached menu bar, which the menu object still owns.
    if (HandleAllocated()) {
        ::SetMenu(Handle(), nullptr);
        RemovePropW(Handle(), kMenuBarProperty);
    }
    // Controls, hosted OLE objects first among them, go while the form's window still exists.
    DestroyComponents();
}

void TCustomForm::AfterConstruction() {
    // An error in OnCreate is reported and the form stays: only a failing constructor fails.
    try {
        if (OnCreate) OnCreate(this);
    } catch (...) {
        HandleCurrentException();
    }
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove) {
        if (component == menu_) menu_ = nullptr;
        if (component == activeControl_) activeControl_ = nullptr;
    }
    TScrollingWinControl::Notification(component, operation);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu_ != nullptr) menu_->SetForm(nullptr);
    menu_ = menu;
    if (menu_ != nullptr) menu_->SetForm(this);
    if (HandleAllocated()) {
        ::SetMenu(Handle(), menu_ != nullptr ? menu_->Handle() : nullptr);
        DrawMenuBar(Handle());
        PublishMenuBar();
    }
}

HICON TCustomForm::Icon() const {
    if (icon_ != nullptr) return icon_;
    return Application != nullptr ? Application->Icon() : nullptr;
}

void TCustomForm::FrameStyle(DWORD& style, DWORD& exStyle) const {
    style = WS_CLIPCHILDREN;
    exStyle = 0;
    DWORD icons = 0;
    if (borderIcons_ & biSystemMenu) {
        icons |= WS_SYSMENU;
        if (borderIcons_ & biMinimize) icons |= WS_MINIMIZEBOX;
        if (borderIcons_ & biMaximize) icons |= WS_MAXIMIZEBOX;
    }
    switch (borderStyle_) {
    case TFormBorderStyle::bsSizeable:
        style |= WS_CAPTION | WS_THICKFRAME | icons;
        break;
    case TFormBorderStyle::bsSingle:
        style |= WS_CAPTION | icons;
        break;
    case TFormBorderStyle::bsNone:
        style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsDialog:
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
}

SIZE TCustomForm::FrameExtra() const {
    DWORD style, exStyle;
    FrameStyle(style, exStyle);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, menu_ != nullptr, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int TCustomForm::ClientWidth() const {
    if (HandleAllocated()) return TScrollingWinControl::ClientWidth();
    return Width() - FrameExtra().cx;
}

int TCustomForm::ClientHeight() const {
    if (HandleAllocated()) return TScrollingWinControl::ClientHeight();
    return Height() - FrameExtra().cy;
}

void TCustomForm::SetClientWidth(int v) { SetWidth(v + (Width() - ClientWidth())); }

void TCustomForm::SetClientHeight(int v) { SetHeight(v + (Height() - ClientHeight())); }

void TCustomForm::CreateParams(TCreateParams& params) {
    TScrollingWinControl::CreateParams(params);
    FrameStyle(params.Style, params.ExStyle);
    if (!Enabled()) params.Style |= WS_DISABLED;
    params.WndParent = Application != nullptr ? Application->Handle() : nullptr;
    if (Application != nullptr && Application->MainForm() == this) params.ExStyle |= WS_EX_APPWINDOW;
    params.Menu = menu_ != nullptr ? menu_->Handle() : nullptr;
    bool center = position_ == TPosition::poDesktopCenter || position_ == TPosition::poScreenCenter;
    TCustomForm* mainForm = Application != nullptr ? Application->MainForm() : nullptr;
    if (position_ == TPosition::poMainFormCenter && mainForm != nullptr && mainForm != this &&
        mainForm->HandleAllocated()) {
        RECT m;
        GetWindowRect(mainForm->Handle(), &m);
        params.X = m.left + ((m.right - m.left) - Width()) / 2;
        params.Y = m.top + ((m.bottom - m.top) - Height()) / 2;
    } else if (center || position_ == TPosition::poMainFormCenter) {
        params.X = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
        params.Y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    }
}

void TCustomForm::PublishMenuBar() {
    if (!HandleAllocated()) return;
    if (menu_ != nullptr)
        SetPropW(Handle(), kMenuBarProperty, menu_->Handle());
    else
        RemovePropW(Handle(), kMenuBarProperty);
}

void TCustomForm::AfterCreateHandle() {
    PublishMenuBar();
    HICON icon = Icon();
    if (icon != nullptr) {
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    if (HandleAllocated()) {
        SetForegroundWindow(Handle());
        if (activeControl_ != nullptr) activeControl_->SetFocus();
    }
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (!visible) {
        SetVisibleFlag(false);
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        Notify(CM_VISIBLECHANGED, 0, 0);
        return;
    }
    HandleNeeded();
    SetVisibleFlag(true);
    if (OnShow) OnShow(this);
    ShowWindow(Handle(), SW_SHOW);
    Notify(CM_VISIBLECHANGED, 1, 0);
}

int TCustomForm::ShowModal() {
    if (Visible() || (formState_ & fsModal) != 0) throw EInvalidOperation(L"Cannot make a visible window modal");
    HWND previouslyActive = GetActiveWindow();
    std::vector<HWND> disabled;
    for (int i = 0; Screen != nullptr && i < Screen->FormCount(); ++i) {
        TCustomForm* other = Screen->Forms(i);
        if (other == this || !other->HandleAllocated() || !IsWindowEnabled(other->Handle())) continue;
        EnableWindow(other->Handle(), FALSE);
        disabled.push_back(other->Handle());
    }
    formState_ |= fsModal;
    modalResult_ = mrNone;
    try {
        Show();
        while (modalResult_ == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated()) modalResult_ = mrCancel;
            if (modalResult_ != mrNone) CloseModal();
        }
    } catch (...) {
        for (HWND w : disabled) EnableWindow(w, TRUE);
        formState_ &= ~fsModal;
        throw;
    }
    for (HWND w : disabled)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (previouslyActive != nullptr && IsWindow(previouslyActive)) SetActiveWindow(previouslyActive);
    Hide();
    formState_ &= ~fsModal;
    return modalResult_;
}

void TCustomForm::CloseModal() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) modalResult_ = mrNone;
}

void TCustomForm::Close() {
    if (formState_ & fsModal) {
        modalResult_ = mrCancel;
        return;
    }
    bool isMain = Application != nullptr && Application->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (isMain) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
        break;
    default:
        Release();
        break;
    }
}

void TCustomForm::Release() {
    if (HandleAllocated()) PostMessageA(Handle(), WM_TK_RELEASE, 0, 0);
}

void TCustomForm::AddToolTip(HWND control, const std::wstring& text) {
    if (!HandleAllocated()) return;
    if (toolTip_ == nullptr || !IsWindow(toolTip_))
        toolTip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (toolTip_ == nullptr) return;
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every common-controls version
    tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TCustomForm::PaintWindow(HDC dc) {
    TScrollingWinControl::PaintWindow(dc);
    if (OnPaint) OnPaint(this);
}

bool TCustomForm::DialogKey(TMessage& message) {
    if (message.Msg != WM_KEYDOWN) return false;
    switch (message.WParam) {
    case VK_RETURN:
    case VK_ESCAPE:
        for (int i = 0; i < ComponentCount(); ++i) {
            auto* button = DynamicCast<TButton>(Components(i));
            if (button == nullptr || !button->Visible() || !button->Enabled()) continue;
            if ((message.WParam == VK_RETURN && button->Default()) || (message.WParam == VK_ESCAPE && button->Cancel())) {
                button->Click();
                return true;
            }
        }
        return false;
    case VK_TAB: {
        std::vector<TWinControl*> order;
        GetTabOrderList(order);
        if (order.empty()) return false;
        HWND focus = GetFocus();
        size_t current = order.size();
        for (size_t i = 0; i < order.size(); ++i)
            if (order[i]->HandleAllocated() && (order[i]->Handle() == focus || IsChild(order[i]->Handle(), focus)))
                current = i;
        bool back = GetKeyState(VK_SHIFT) < 0;
        for (size_t step = 1; step <= order.size(); ++step) {
            size_t base = current == order.size() ? (back ? 0 : order.size() - 1) : current;
            size_t next = back ? (base + order.size() - step % order.size()) % order.size() : (base + step) % order.size();
            if (order[next]->CanFocus()) {
                order[next]->SetFocus();
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

void TCustomForm::Dispatch(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case WM_COMMAND:
        if (message.LParam == 0 && HIWORD(message.WParam) == 0 && menu_ != nullptr) {
            if (TMenuItem* item = menu_->FindItem(LOWORD(message.WParam), TFindItemKind::fkCommand)) item->Click();
            message.Result = 0;
            return;
        }
        break;
    case WM_GETMINMAXINFO: {
        DefaultHandler(message);
        auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
        if (Constraints().MinWidth > 0) info->ptMinTrackSize.x = Constraints().MinWidth;
        if (Constraints().MinHeight > 0) info->ptMinTrackSize.y = Constraints().MinHeight;
        if (Constraints().MaxWidth > 0) info->ptMaxTrackSize.x = Constraints().MaxWidth;
        if (Constraints().MaxHeight > 0) info->ptMaxTrackSize.y = Constraints().MaxHeight;
        message.Result = 0;
        return;
    }
    case CM_MENUCHANGED:
        if (HandleAllocated() && menu_ != nullptr) {
            ::SetMenu(Handle(), menu_->Handle());
            DrawMenuBar(Handle());
        }
        message.Result = 0;
        return;
    case CM_DIALOGKEY: {
        // wParam = virtual key, lParam = key data (bit 29: Alt). Alt keys stay with the menu.
        TMessage key{static_cast<UINT>((message.LParam & (1 << 29)) ? WM_SYSKEYDOWN : WM_KEYDOWN), message.WParam,
                     message.LParam, 0};
        message.Result = DialogKey(key) ? 1 : 0;
        return;
    }
    case WM_MEASUREITEM:
        if (message.LParam != 0 && reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->CtlType == ODT_MENU) {
            message.Result = MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)) ? 1 : 0;
            return;
        }
        break;
    case WM_DRAWITEM:
        if (message.LParam != 0 && reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->CtlType == ODT_MENU) {
            message.Result = DrawMenuItem(*reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)) ? 1 : 0;
            return;
        }
        break;
    default:
        break;
    }
    TScrollingWinControl::Dispatch(message);
}

}  // namespace tk

#include "win_control.h"

#include <windowsx.h>

#include <algorithm>

#include "control_atom.h"
#include "error_report.h"
#include "exceptions.h"
#include "published_properties.h"
#include "text_convert.h"
#include "window_class.h"

namespace tk {
namespace {
// The control whose window is being created: its first message attaches it, because
// WM_GETMINMAXINFO and WM_NCCALCSIZE come before WM_NCCREATE for top-level windows.
thread_local TWinControl* t_creatingControl = nullptr;

bool IsButtonDown(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}
bool IsButtonUp(UINT msg) { return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP; }
}  // namespace

TK_CLASS_INFO(TWinControl, TControl, {
    PublishInteger<Self>(c, L"Color", &Self::Color, &Self::SetColor);
    PublishBool<Self>(c, L"ParentBackground", &Self::ParentBackground, &Self::SetParentBackground);
    PublishBool<Self>(c, L"TabStop", &Self::TabStop, &Self::SetTabStop);
})

TWinControl* ControlOfWindow(HWND window) { return AttachedControl(window); }

TWinControl* TWinControl::FromHandle(HWND window) { return AttachedControl(window); }

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    BeginDestroy();
    SetWindowProc(DefaultWindowProc());
    for (TControl* child : controls_) child->parent_ = nullptr;
    controls_.clear();
    DestroyHandle();
    if (brush_ != nullptr) DeleteObject(brush_);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    TWinControl* control = AttachedControl(window);
    if (control == nullptr && t_creatingControl != nullptr) {
        control = t_creatingControl;
        t_creatingControl = nullptr;
        control->handle_ = window;
        AttachControl(window, control);
    }
    if (control == nullptr) return DefWindowProcA(window, msg, wparam, lparam);
    if (msg == WM_TK_RELEASE) {
        GuardCallback([&] { delete control; });
        return 0;
    }
    TMessage message{msg, wparam, lparam, 0};
    GuardCallback([&] { control->WindowProc()(message); });
    if (msg == WM_NCDESTROY) {
        DetachControl(window);
        if (control->handle_ == window) control->handle_ = nullptr;
    }
    return message.Result;
}

HWND TWinControl::Handle() {
    if (handle_ == nullptr) CreateHandle();
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() != nullptr ? Parent()->Handle() : parentWindow_;
    params.WinClassName = WideToUtf8(ClassName());
    params.ClassStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateHandle() {
    if (Parent() != nullptr) {
        Parent()->HandleNeeded();  // creating the parent creates its children, this one included
        if (handle_ != nullptr) return;
    }
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) != 0 && params.WndParent == nullptr)
        throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
    CreateWnd(params);
    if (!params.Caption.empty()) SetWindowTextW(handle_, params.Caption.c_str());
    ApplyFont();
    AfterCreateHandle();
    if (ShowHint() && !Hint().empty() && Parent() != nullptr) {
        TWinControl* top = Parent();
        while (top->Parent() != nullptr) top = top->Parent();
        top->AddToolTip(handle_, Hint());
    }
    // Hidden children get their (hidden) windows too, so every control window exists to be found.
    for (TControl* child : std::vector<TControl*>(controls_))
        if (child->IsWindowed()) static_cast<TWinControl*>(child)->HandleNeeded();
    Realign();
}

void TWinControl::CreateWnd(TCreateParams& params) {
    defWndProc_ = EnsureWindowClass(params, &TWinControl::StdWndProc);
    t_creatingControl = this;
    HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), nullptr, params.Style, params.X,
                                  params.Y, params.Width, params.Height, params.WndParent, params.Menu,
                                  GetModuleHandleA(nullptr), nullptr);
    t_creatingControl = nullptr;
    if (window == nullptr) throw EOutOfResources(L"Error creating window");
    if (handle_ == nullptr) {
        handle_ = window;
        AttachControl(window, this);
    }
    // Children are created in list order; each goes on top, so the last one is topmost, as it
    // is for graphic controls (painted last, hit first).
    if ((params.Style & WS_CHILD) != 0)
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::DestroyHandle() {
    if (foreign_) {
        ReleaseForeignWindow();
        return;
    }
    if (handle_ != nullptr) DestroyWindow(handle_);
    handle_ = nullptr;
}

void TWinControl::AdoptForeignWindow(HWND window) {
    handle_ = window;
    foreign_ = true;
    AttachControl(window, this);
    defWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc)));
}

void TWinControl::ReleaseForeignWindow() {
    if (handle_ != nullptr && IsWindow(handle_)) {
        auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC));
        if (current == &TWinControl::StdWndProc)
            SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
        DetachControl(handle_);
    }
    handle_ = nullptr;
    foreign_ = false;
}

void TWinControl::ApplyFont() {
    if (handle_ != nullptr) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont()->Handle()), 0);
}

TControl* TWinControl::ControlAtPos(POINT clientPos) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->Visible() || !c->Enabled()) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, clientPos)) return c;
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    if (control->ParentColor()) control->color_ = Color();
    control->RememberAnchorDistances();
    if (control->IsWindowed()) {
        auto* child = static_cast<TWinControl*>(control);
        if (child->handle_ != nullptr && handle_ != nullptr) ::SetParent(child->handle_, handle_);
        else if (handle_ != nullptr && child->Visible()) child->HandleNeeded();
    } else {
        control->Invalidate();
    }
    Realign();
}

void TWinControl::RemoveControl(TControl* control) {
    if (!control->IsWindowed()) control->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
    if (!Destroying()) Realign();
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
    std::vector<TWinControl*> children;
    for (TControl* c : controls_)
        if (c->IsWindowed()) children.push_back(static_cast<TWinControl*>(c));
    std::stable_sort(children.begin(), children.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    for (TWinControl* child : children) {
        if (child->tabStop_) list.push_back(child);
        child->GetTabOrderList(list);
    }
}

void TWinControl::SetFocus() {
    if (CanFocus()) ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return handle_ != nullptr && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c != nullptr; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    auto start = std::find(controls_.begin(), controls_.end(), first);
    if (start == controls_.end()) start = controls_.begin();
    for (auto it = start; it != controls_.end(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->Visible()) continue;
        int saved = SaveDC(dc);
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + c->Left(), origin.y + c->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RestoreDC(dc, saved);
    }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_ != nullptr) {
        SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Realign();
}

int TWinControl::ClientWidth() const {
    if (handle_ == nullptr) return Width();
    RECT r;
    GetClientRect(handle_, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    if (handle_ == nullptr) return Height();
    RECT r;
    GetClientRect(handle_, &r);
    return r.bottom;
}

void TWinControl::SetVisible(bool visible) {
    if (visible == Visible()) return;
    visible_ = visible;
    if (handle_ != nullptr) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
    else if (visible && Parent() != nullptr && Parent()->HandleAllocated()) HandleNeeded();
    Notify(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
    RequestAlign();
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    enabled_ = enabled;
    if (handle_ != nullptr) EnableWindow(handle_, enabled ? TRUE : FALSE);
    Notify(CM_ENABLEDCHANGED, enabled ? 1 : 0, 0);
}

void TWinControl::Invalidate() {
    if (handle_ != nullptr) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (handle_ != nullptr) UpdateWindow(handle_);
}

void TWinControl::BringToFront() {
    if (Parent() != nullptr) {
        auto& siblings = Parent()->controls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        siblings.push_back(this);
    }
    if (handle_ != nullptr) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND TWinControl::ParentHandle() const { return TControl::ParentHandle(); }

LRESULT TWinControl::Notify(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (handle_ != nullptr) return SendMessageA(handle_, msg, wparam, lparam);
    return Perform(msg, wparam, lparam);
}

void TWinControl::TextChanged() {
    if (handle_ != nullptr) SetWindowTextW(handle_, Caption().c_str());
}

void TWinControl::ColorChanged() {
    if (brush_ != nullptr) DeleteObject(brush_);
    brush_ = nullptr;
    for (TControl* c : controls_)
        if (c->ParentColor()) {
            c->color_ = Color();
            c->ColorChanged();
        }
    Invalidate();
}

RECT TWinControl::AlignRect() { return ClientRect(); }

void TWinControl::Realign() {
    if (aligning_ != 0) return;
    ++aligning_;
    AlignChildren();
    ApplyAnchors();
    --aligning_;
}

void TWinControl::AlignChildren() {
    RECT r = AlignRect();
    const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
    for (TAlign kind : order) {
        for (TControl* c : std::vector<TControl*>(controls_)) {
            if (c->Align() != kind || !c->Visible()) continue;
            int w = r.right - r.left, h = r.bottom - r.top;
            switch (kind) {
            case TAlign::alTop:
                c->SetBounds(r.left, r.top, w, c->Height());
                r.top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(r.left, r.bottom - c->Height(), w, c->Height());
                r.bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(r.left, r.top, c->Width(), h);
                r.left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(r.right - c->Width(), r.top, c->Width(), h);
                r.right -= c->Width();
                break;
            default:
                c->SetBounds(r.left, r.top, std::max(0, w), std::max(0, h));
                break;
            }
        }
    }
}

void TWinControl::ApplyAnchors() {
    int cw = ClientWidth(), ch = ClientHeight();
    for (TControl* c : controls_) {
        if (c->Align() != TAlign::alNone) continue;
        unsigned a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a & akRight) {
            if (a & akLeft) w = cw - c->anchorRightGap_ - l;
            else l = cw - c->anchorRightGap_ - w;
        }
        if (a & akBottom) {
            if (a & akTop) h = ch - c->anchorBottomGap_ - t;
            else t = ch - c->anchorBottomGap_ - h;
        }
        if (l != c->Left() || t != c->Top() || w != c->Width() || h != c->Height()) c->SetBounds(l, t, w, h);
    }
}

void TWinControl::WndProc(TMessage& message) {
    if (IsMouseMessage(message.Msg) && RouteToGraphicChild(message)) return;
    if (message.Msg == WM_SETCURSOR && Cursor() == TCursor::crHandPoint &&
        reinterpret_cast<HWND>(message.WParam) == handle_ && LOWORD(message.LParam) == HTCLIENT) {
        ::SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        message.Result = 1;
        return;
    }
    TControl::WndProc(message);
}

bool TWinControl::RouteToGraphicChild(TMessage& message) {
    POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TControl* target = captureControl_ != nullptr ? captureControl_ : ControlAtPos(p);
    if (target == nullptr) return false;
    if (IsButtonDown(message.Msg)) {
        captureControl_ = target;
        SetCapture(handle_);
    }
    TMessage routed{message.Msg, message.WParam, MAKELPARAM(p.x - target->Left(), p.y - target->Top()), 0};
    target->WindowProc()(routed);
    message.Result = routed.Result;
    if (IsButtonUp(message.Msg) && captureControl_ != nullptr) {
        captureControl_ = nullptr;
        ReleaseCapture();
    }
    // The window's own default handling still sees the right button's release: the platform makes
    // the context-menu request there, and HandleContextMenu hands it to the child under the point.
    return message.Msg != WM_RBUTTONUP;
}

bool TWinControl::ReflectToChild(TMessage& message) {
    HWND from = nullptr;
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        from = reinterpret_cast<HWND>(message.LParam);
        break;
    case WM_NOTIFY:
        if (message.LParam != 0) from = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (item != nullptr && item->CtlType != ODT_MENU) from = item->hwndItem;
        break;
    }
    default:
        return false;
    }
    TWinControl* child = AttachedControl(from);
    if (child == nullptr || child == this || child->Parent() != this) return false;
    message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return true;
}

void TWinControl::HandlePaint(TMessage& message) {
    if (message.WParam != 0) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(handle_, &ps);
    PaintWindow(dc);
    PaintControls(dc, nullptr);
    EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc) {
    if (brush_ == nullptr) brush_ = CreateSolidBrush(ColorToRGB(Color()));
    RECT r = ClientRect();
    FillRect(dc, &r, brush_);
}

void TWinControl::HandleContextMenu(TMessage& message) {
    POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    if (screen.x == -1 && screen.y == -1) GetCursorPos(&screen);
    POINT client = screen;
    ScreenToClient(handle_, &client);
    if (reinterpret_cast<HWND>(message.WParam) == handle_) {
        if (TControl* graphic = ControlAtPos(client)) {
            POINT local{client.x - graphic->Left(), client.y - graphic->Top()};
            if (graphic->DoContextPopup(local)) {
                message.Result = 1;
                return;
            }
        }
    }
    if (DoContextPopup(client)) {
        message.Result = 1;
        return;
    }
    DefaultHandler(message);  // a child window passes it on to its parent
}

void TWinControl::Dispatch(TMessage& message) {
    switch (message.Msg) {
    case WM_PAINT:
        if (defWndProc_ == nullptr) {
            HandlePaint(message);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (defWndProc_ == nullptr) {
            message.Result = 1;  // the background is painted with the rest in WM_PAINT
            return;
        }
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        if (ReflectToChild(message)) return;
        break;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
        if ((pos->flags & SWP_NOMOVE) == 0) {
            left_ = pos->x;
            top_ = pos->y;
        }
        if ((pos->flags & SWP_NOSIZE) == 0) {
            width_ = pos->cx;
            height_ = pos->cy;
        }
        break;
    }
    case WM_SIZE:
        DefaultHandler(message);
        Realign();
        return;
    case WM_CONTEXTMENU:
        HandleContextMenu(message);
        return;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: {
        // Reflected colour requests that no control answered: its own colour and font colour.
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, ColorToRGB(EffectiveFont()->Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        if (brush_ == nullptr) brush_ = CreateSolidBrush(ColorToRGB(Color()));
        message.Result = reinterpret_cast<LRESULT>(brush_);
        return;
    }
    default:
        break;
    }
    TControl::Dispatch(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (handle_ == nullptr) {
        message.Result = 0;
        return;
    }
    message.Result = defWndProc_ != nullptr
                         ? CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam)
                         : DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

}  // namespace tk

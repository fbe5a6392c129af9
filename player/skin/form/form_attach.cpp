// Making a form skinner and attaching it: the style analysis, the replaced procedures and the
// menu bar, everything before SKIN_START.
#include <algorithm>

#include "form.h"
#include "menus.h"
#include "procedure_relay.h"
#include "skin_data.h"
#include "skin_manager_seam.h"
#include "skin_menu_bar.h"
#include "win_skin_form.h"

namespace skin {

TK_CLASS_INFO(TWinSkinForm, tk::TComponent)

namespace {

constexpr size_t kMaxClassName = 100;
constexpr DWORD kExLeftScrollBar = 0x4000;  // WS_EX_LEFTSCROLLBAR: a right-to-left window

std::wstring ClassNameOf(HWND window) {
    wchar_t name[kMaxClassName + 1] = {};
    GetClassNameW(window, name, static_cast<int>(kMaxClassName + 1));
    return name;
}

void UseSystemCaptionFont(tk::TFont& font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font.SetLogFont(metrics.lfCaptionFont);
}

}  // namespace

TWinSkinForm::TWinSkinForm(tk::TComponent* owner) : tk::TComponent(owner) {
    doubleClickTime_ = GetDoubleClickTime();
    UseSystemCaptionFont(captionFont_);
    ctx_.CaptionFont = &captionFont_;
    ctx_.Frame.WindowActive = true;
    ctx_.SkinState = ssAttached;
    ctx_.DrawIcon = [this](HDC dc, const RECT& rect) { DrawIcon(dc, rect); };
    ctx_.ForgetHotObject = [this] { hotObject_ = nullptr; };
}

TWinSkinForm::~TWinSkinForm() {
    BeginDestroy();
    // Freed while still attached (its form went first): nothing may call into it any more.
    RestoreProcedures();
    FreeCaptionButtons();
    delete ctx_.MenuBar;
    ctx_.MenuBar = nullptr;
    if (ISkinManager* manager = SkinManager()) manager->ForgetForm(this);
}

void TWinSkinForm::SetWindow(HWND window, int managerTag, const std::wstring& classText) {
    ctx_.Handle = window;
    managerTag_ = managerTag;
    classText_ = classText;
}

void TWinSkinForm::AttachForm(TSkinData* data, tk::TCustomForm* form) {
    form_ = form;
    if (data->OnBeforeSkinForm) data->OnBeforeSkinForm(form, ctx_.Handle, classText_);
    Prepare(data);
    if (relay_ != nullptr && ctx_.SkinFrame) {
        relay_->HookForm(form);
        oldFormProc_ = relay_->OldFormProc();
    }
    ApplyFormColour();
}

void TWinSkinForm::AttachWindow(TSkinData* data) { Prepare(data); }

void TWinSkinForm::Prepare(TSkinData* data) {
    if (relay_ != nullptr) return;
    EnsureSkinManager().SetSkinning(true);
    ctx_.Skin = data;
    hoverTimer_ = new tk::TTimer(this);
    hoverTimer_->SetEnabled(false);
    hoverTimer_->SetInterval(250);
    hoverTimer_->OnTimer = [this](tk::TObject*) { CheckHover(); };

    ctx_.SkinFrame = (data->SkinControls() & SetBit(xcMainMenu)) != 0;
    ReadStyleFacts();
    // The 9x family draws its own system menu.
    if ((Version & 0x80000000u) != 0) data->SetSkinControls(data->SkinControls() & ~SetBit(xcSystemMenu));
    ReplaceWindowProc();

    if (!ctx_.SkinFrame) {
        ctx_.SkinState = ssSkinned;
        return;
    }
    CreateMenuBar();
    if (ctx_.Frame.WindowState != wsMinimized) SetCaptionStyle(false);
    ComputeBorders();
}

void TWinSkinForm::ReadStyleFacts() {
    HWND window = ctx_.Handle;
    const auto style = static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
    FormFrameState& frame = ctx_.Frame;
    frame.WindowStyle = style;
    frame.RightToLeft = (exStyle & kExLeftScrollBar) != 0;
    isChild_ = (style & WS_CHILD) != 0;
    winClassName_ = ClassNameOf(window);
    ownerWindow_ = GetWindow(window, GW_OWNER);

    uint8_t icons = 0;
    if ((style & WS_SYSMENU) != 0 || ctx_.SystemMenu != nullptr) icons |= fiSystemMenu;
    if ((style & WS_MINIMIZEBOX) != 0) icons |= fiMinimizeBox;
    if ((style & WS_MAXIMIZEBOX) != 0) icons |= fiMaximizeBox;

    ReadWindowState(ctx_);
    sizable_ = (style & WS_THICKFRAME) != 0;

    // MDI frames and children are recognised; their own paths are not taken.
    frame.FormKind = fkOrdinary;
    if (FindWindowExW(window, nullptr, L"MDIClient", nullptr) != nullptr) frame.FormKind = fkMdiFrame;
    if ((exStyle & WS_EX_MDICHILD) != 0) {
        frame.FormKind = fkMdiChild;
        if ((ctx_.Skin->Options() & SetBit(xoMDIChildBorder)) != 0) ctx_.SkinFrame = false;
    }
    ReadBorderKind(style, exStyle);

    // Systems of version x.0 show top-level windows without the native caption style.
    const unsigned major = Version & 0xFF, minor = (Version >> 8) & 0xFF;
    const bool nt = (Version & 0x80000000u) == 0;
    if (major > 4 && minor == 0) {
        if (((exStyle & WS_EX_APPWINDOW) != 0 && nt) || (ownerWindow_ == nullptr && !frame.IsMdiChild()))
            icons |= fiStripCaption;
    }
    frame.BorderIcons = icons;

    ctx_.IsUnicode = IsWindowUnicode(window) != FALSE;
    if (winClassName_ == L"#32770" || winClassName_ == L"TMessageForm") {
        frame.BorderKind = bkDialog;
        frame.IsDialog = true;
    }
}

void TWinSkinForm::ReadBorderKind(uint32_t style, uint32_t exStyle) {
    TBorderKind kind = bkSingle;
    if ((style & WS_CAPTION) != WS_CAPTION) kind = bkNoCaption;
    else if ((style & WS_THICKFRAME) != 0) kind = bkSizable;
    else if ((style & DS_MODALFRAME) != 0) kind = bkDialog;
    if ((exStyle & WS_EX_DLGMODALFRAME) != 0) kind = bkDialog;
    ctx_.Frame.BorderKind = kind;
}

void TWinSkinForm::ReplaceWindowProc() {
    relay_ = ProcedureRelay::Install(this, ctx_.Handle, ctx_.IsUnicode);
    if (relay_ != nullptr) oldWndProc_ = relay_->OldWndProc();
}

void TWinSkinForm::CreateMenuBar() {
    menuHandle_ = GetMenu(ctx_.Handle);
    if (menuHandle_ == nullptr || ctx_.Frame.IsMdiChild()) return;
    auto* bar = new TWinSkinMenu(this, this, ctx_.Skin);
    ctx_.MenuBar = bar;
    ctx_.Frame.HasMenuBar = true;
    ctx_.Frame.MenuBarHeight = GetSystemMetrics(SM_CYMENU);
    if (form_ != nullptr) bar->Menu = form_->Menu();
    if (IsMajor4Minor0() && bar->Menu != nullptr) bar->BuildFromItems();
    else bar->BuildFromWindowMenu();
}

IFormSkinner* MakeFormSkinner(const FormSkinnerRequest& request) {
    auto* skinner = new TWinSkinForm(request.Form);
    skinner->SetWindow(request.Window, request.ManagerTag, request.ClassText);
    if (request.Form != nullptr) skinner->AttachForm(request.Data, request.Form);
    else skinner->AttachWindow(request.Data);
    return skinner;
}

}  // namespace skin

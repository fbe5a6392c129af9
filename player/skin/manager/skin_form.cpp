// Which windows get a form skinner, with which skin data, and making the skinner.
#include <algorithm>
#include <cwctype>

#include "control_of_window.h"
#include "form.h"
#include "screen.h"
#include "skin_data.h"
#include "skin_manage.h"

namespace skin {
namespace {

// A tag that keeps a form native whatever the component's DisableTag says.
constexpr int kNeverSkinTag = 99;
// "#32770" windows with this style bit are left native.
constexpr LONG kNativeDialogStyle = 0x200;

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool HasArea(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.right > r.left && r.bottom > r.top;
}

// A child window is skinned as a form only as an MDI child or while every form is being
// skinned.
bool ChildOutOfReach(HWND window, bool skinningAll) {
    if (skinningAll) return false;
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if ((style & WS_CHILD) == 0 || (exStyle & WS_EX_MDICHILD) != 0) return false;
    return Lower(ClassOf(GetParent(window))) != L"mdiclient";
}

// Whether the control's window is the given one, without making a window for it.
bool HasWindow(tk::TComponent* component, HWND window) {
    auto* control = tk::DynamicCast<tk::TWinControl>(component);
    return control != nullptr && control->HandleAllocated() && control->Handle() == window;
}

}  // namespace

tk::TObject* TSkinManage::ToolkitObjectOf(HWND window) {
    // Only forms whose window exists can own it; asking the others for a handle would create
    // their windows from inside the hook.
    for (int i = 0; tk::Screen != nullptr && i < tk::Screen->FormCount(); ++i)
        if (HasWindow(tk::Screen->Forms(i), window)) return tk::Screen->Forms(i);
    return ControlOfWindow(window);
}

bool TSkinManage::SkinFormNow(HWND window) {
    if (!skinning_) return false;
    PurgeDeadSkinners();
    if (SendMessageW(window, SKIN_QUERY, 0, 0) == 1 || FindFormSkinner(window) != nullptr) return false;
    tk::TObject* control = ToolkitObjectOf(window);
    if (ChildOutOfReach(window, skinningAll_)) return false;
    const std::wstring className = ClassOf(window);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    if (control == nullptr && instance != GetModuleHandleW(nullptr) && className != L"#32770") return false;

    const bool mdiChild = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
    if (!HasArea(window) && !mdiChild) return false;
    if (auto* component = tk::DynamicCast<tk::TComponent>(control); component && component->Tag() == kNeverSkinTag)
        return false;
    if (className.find(L"TcxPopupEditPopupWindow") != std::wstring::npos || className == L"TApplication") return false;
    if (!ShouldSkin(window, className)) return false;

    TSkinData* data = SkinDataFor(window, className);
    if (data == nullptr || data->NoSkin) return false;

    FormSkinnerRequest request;
    request.Window = window;
    request.ManagerTag = managerTag_;
    request.ClassText = className;
    request.Data = data;
    // Only a real form is attached as a form; any other toolkit control (a hint window, say)
    // is skinned as a plain window.
    request.Form = tk::DynamicCast<tk::TCustomForm>(control);
    IFormSkinner* skinner = factory_ ? factory_(request) : nullptr;
    if (skinner == nullptr) return false;
    formSkinners_.push_back(skinner);
    PostMessageW(window, SKIN_START, 0, kSkinStartDelay);
    return true;
}

void TSkinManage::SkinFormIfVisible(tk::TCustomForm* form) {
    if (!form->Visible() || !form->HandleAllocated()) return;
    const HWND window = form->Handle();
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0) return;
    SkinFormNow(window);
}

bool TSkinManage::ShouldSkin(HWND window, const std::wstring& className) const {
    bool result = true;
    if (main_ == nullptr) return result;
    if ((main_->Options() & SetBit(xoPreview)) == 0 && Lower(className).find(L"preview") != std::wstring::npos)
        result = false;
    if (className == L"#32770" && (GetWindowLongW(window, GWL_STYLE) & kNativeDialogStyle) != 0) result = false;
    main_->QueryFormSkin(window, className, result);
    return result;
}

TSkinData* TSkinManage::SkinDataFor(HWND window, const std::wstring& className) const {
    auto lastOf = [this](auto&& matches) -> TSkinData* {
        for (auto it = skinDatas_.rbegin(); it != skinDatas_.rend(); ++it)
            if (matches(*it)) return *it;
        return nullptr;
    };
    if (TSkinData* own = lastOf([window](TSkinData* d) {
            return d->SkinFormtype() == TSkinFormType::sfOnlyThisForm && HasWindow(d->Owner(), window);
        }))
        return own;
    const std::wstring lower = Lower(className);
    if (lower == L"tmessageform" || lower == L"#32770")
        if (TSkinData* dialog = lastOf([](TSkinData* d) { return d->SkinFormtype() == TSkinFormType::sfDialog; }))
            return dialog;
    if (TSkinData* mainForm = lastOf([](TSkinData* d) { return d->SkinFormtype() == TSkinFormType::sfMainform; }))
        return mainForm;
    return skinDatas_.empty() ? nullptr : skinDatas_.front();
}

}  // namespace skin

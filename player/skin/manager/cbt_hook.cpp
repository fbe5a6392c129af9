#include <string>

#include "hook_owner.h"
#include "skin_manage.h"

namespace skin {
namespace {

TSkinManage*& Owner() {
    static TSkinManage* owner = nullptr;
    return owner;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

}  // namespace

TSkinManage* HookOwner() { return Owner(); }
void SetHookOwner(TSkinManage* manager) { Owner() = manager; }

LRESULT CALLBACK TSkinManage::CBTHookProc(int code, WPARAM wparam, LPARAM lparam) {
    TSkinManage* manager = Owner();
    const HHOOK hook = manager != nullptr ? manager->hook_ : nullptr;
    if (code >= 0 && manager != nullptr) {
        const auto window = reinterpret_cast<HWND>(wparam);
        switch (code) {
        case HCBT_CREATEWND: {
            const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lparam);
            if (create != nullptr && create->lpcs != nullptr) manager->OnWindowCreated(window, *create->lpcs);
            break;
        }
        case HCBT_DESTROYWND:
            manager->ForgetPopup(window);
            break;
        case HCBT_ACTIVATE:
            if (manager->state_ == kNoActivationYet) manager->state_ = kRunning;
            manager->SkinFormNow(window);
            break;
        default:
            break;
        }
    }
    return CallNextHookEx(hook, code, wparam, lparam);
}

// The three tests are independent: one window may meet more than one.
void TSkinManage::OnWindowCreated(HWND window, const CREATESTRUCTW& create) {
    const std::wstring className = ClassOf(window);
    if (className == L"ScrollBar" && (create.style & SBS_SIZEGRIP) != 0)
        if (IFormSkinner* parent = FindFormSkinner(create.hwndParent)) parent->SkinWindowByClass(window);
    if ((create.style & WS_CHILD) == 0 && className == L"#32768") SkinPopupMenu(window);
    if ((create.dwExStyle & WS_EX_MDICHILD) != 0) SkinFormNow(window);
}

}  // namespace skin

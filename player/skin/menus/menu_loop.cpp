#include "menu_loop.h"

#include "menus.h"
#include "skin_menu_bar.h"

namespace skin {

namespace {

// The toolkit item a WM_MENUSELECT names: a popup entry by its submenu, any other by command.
tk::TMenuItem* SelectedToolkitItem(const TWinSkinMenu& bar, WPARAM wParam, HMENU menu) {
    if (bar.Menu == nullptr || menu == nullptr) return nullptr;
    const UINT item = LOWORD(wParam);
    if ((HIWORD(wParam) & MF_POPUP) != 0)
        return bar.Menu->FindItem(static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetSubMenu(menu, static_cast<int>(item)))),
                                  tk::TFindItemKind::fkHandle);
    return bar.Menu->FindItem(item, tk::TFindItemKind::fkCommand);
}

// In a right-to-left menu the arrow keys swap, so Left always moves towards the bar's start.
void SwapArrowsForRightToLeft(MSG& msg) {
    const MenuLoopState& loop = MenuLoop();
    if (loop.SelectedItem == nullptr) return;
    const tk::TMenu* menu = loop.SelectedItem->GetParentMenu();
    if (menu == nullptr || !menu->IsRightToLeft()) return;
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return;
    if (msg.wParam == VK_LEFT)
        msg.wParam = VK_RIGHT;
    else if (msg.wParam == VK_RIGHT)
        msg.wParam = VK_LEFT;
}

void MenuClosed(MenuLoopState& loop) {
    if (!loop.Moved && loop.Current != nullptr) loop.Current->Form->SetInMenuLoop(false);
}

}  // namespace

MenuLoopState& MenuLoop() {
    static MenuLoopState state;
    return state;
}

void InstallMenuHook(TWinSkinMenu& bar) {
    MenuLoopState& loop = MenuLoop();
    loop.Current = &bar;
    loop.Moved = false;
    loop.FirstMessageDone = false;
    GetCursorPos(&loop.LastMouse);
    if (loop.Hook == nullptr) loop.Hook = SetWindowsHookExA(WH_MSGFILTER, MenuMsgFilterProc, nullptr, GetCurrentThreadId());
}

void RemoveMenuHook() {
    MenuLoopState& loop = MenuLoop();
    if (loop.Hook != nullptr) UnhookWindowsHookEx(loop.Hook);
    loop.Hook = nullptr;
    loop.SelectedItem = nullptr;
    loop.CurrentIndex = -1;
    loop.FirstMessageDone = false;
}

LRESULT CALLBACK MenuMsgFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    MenuLoopState& loop = MenuLoop();
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && msg != nullptr) SwapArrowsForRightToLeft(*msg);
    const LRESULT result = CallNextHookEx(loop.Hook, code, wParam, lParam);
    if (result != 0 || code != MSGF_MENU || msg == nullptr) return result;
    if (!loop.FirstMessageDone) {
        loop.FirstMessageDone = true;
        PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
    }
    switch (msg->message) {
    case WM_KEYDOWN:
        if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) loop.Moved = false;
        break;
    case WM_SYSKEYDOWN:
        if (msg->wParam == VK_MENU && loop.Current != nullptr) loop.Current->Form->SetInMenuLoop(false);
        break;
    case WM_MENUSELECT:
        if (HIWORD(msg->wParam) == 0xFFFF && msg->lParam == 0) {
            MenuClosed(loop);
            break;
        }
        loop.Moved = false;
        if (loop.Current != nullptr)
            loop.SelectedItem = SelectedToolkitItem(*loop.Current, msg->wParam, reinterpret_cast<HMENU>(msg->lParam));
        break;
    default: break;
    }
    return result;
}

}  // namespace skin

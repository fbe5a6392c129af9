#include "menu_loop.h"

#include "menus.h"
#include "skin_menu_bar.h"
#include "window_point.h"

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

// A right-to-left bar runs from the right, so there the arrow keys exchange their roles.
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

// The bar item `step` places before (-1) or after (+1) the open one, wrapping at the ends;
// items that show nothing are passed over.
TMenuBtn* Neighbour(const TWinSkinMenu& bar, int index, int step) {
    const int count = static_cast<int>(bar.Buttons.size());
    for (int i = 1; i < count; ++i) {
        TMenuBtn& b = *bar.Buttons[static_cast<size_t>(((index + step * i) % count + count) % count)];
        if (b.Visible && !b.Caption.empty()) return &b;
    }
    return nullptr;
}

bool InTrackedPopup(tk::TMenuItem& item, HMENU tracked) {
    if (item.HandleAllocated() && item.Handle() == tracked) return true;
    tk::TMenuItem* parent = item.Parent();
    return parent != nullptr && parent->HandleAllocated() && parent->Handle() == tracked;
}

// Left leaves the drop-down from its own items (in a submenu it closes the submenu instead);
// Right leaves it from an item that opens no submenu.
TMenuBtn* KeyTarget(const MenuLoopState& loop, const TWinSkinMenu& bar, WPARAM key) {
    tk::TMenuItem* selected = loop.SelectedItem;
    if (loop.CurrentIndex < 0) return nullptr;
    if (key == VK_LEFT && (selected == nullptr || InTrackedPopup(*selected, loop.TrackedPopup)))
        return Neighbour(bar, loop.CurrentIndex, -1);
    if (key == VK_RIGHT && (selected == nullptr || selected->Count() == 0))
        return Neighbour(bar, loop.CurrentIndex, +1);
    return nullptr;
}

TMenuBtn* MouseTarget(MenuLoopState& loop, const TWinSkinMenu& bar, POINT screen) {
    if (screen.x == loop.LastMouse.x && screen.y == loop.LastMouse.y) return nullptr;
    loop.LastMouse = screen;
    return bar.ItemAt(ToWindowPoint(*bar.Form, screen));
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
    loop.TrackedPopup = nullptr;
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
    TMenuBtn* target = nullptr;
    switch (msg->message) {
    case WM_KEYDOWN:
        if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) loop.Moved = false;
        if (loop.Current != nullptr) target = KeyTarget(loop, *loop.Current, msg->wParam);
        break;
    case WM_SYSKEYDOWN:
        if (msg->wParam == VK_MENU && loop.Current != nullptr) loop.Current->Form->SetInMenuLoop(false);
        return result;
    case WM_MENUSELECT:
        if (HIWORD(msg->wParam) == 0xFFFF && msg->lParam == 0) {
            MenuClosed(loop);
            return result;
        }
        loop.Moved = false;
        if (loop.Current != nullptr)
            loop.SelectedItem = SelectedToolkitItem(*loop.Current, msg->wParam, reinterpret_cast<HMENU>(msg->lParam));
        break;
    case WM_MOUSEMOVE:
        if (loop.Current != nullptr) target = MouseTarget(loop, *loop.Current, msg->pt);
        break;
    default: break;
    }
    if (target != nullptr && target->Index != loop.CurrentIndex && !loop.SwitchPosted) {
        loop.Moved = true;
        loop.Current->SwitchTo(*target);
        loop.SwitchPosted = true;
    }
    return result;
}

}  // namespace skin

// Opening a menu-bar item's drop-down where the native bar would have: under the item, from
// its left edge (its right edge in a right-to-left window).
#include "menu_loop.h"
#include "owner_drawn_popup.h"
#include "skin_manager_seam.h"
#include "skin_menu_bar.h"

namespace skin {

namespace {

constexpr int kMenuKindWindowMenu = 1;

void TellManagerMenuOpens() {
    if (ISkinManager* manager = SkinManager()) {
        manager->SetMenuKind(kMenuKindWindowMenu);
        manager->SetMenuOpen(true);
    }
}

}  // namespace

bool TWinSkinMenu::OpenMenuButton(TMenuBtn& item) {
    MenuLoopState& loop = MenuLoop();
    loop.SwitchPosted = false;
    HWND window = Form->WindowHandle();
    // The host updates the items (enables, checks) on the command before its popup shows.
    PostMessageA(window, WM_COMMAND, item.Command, 0);
    if (item.Submenu == nullptr) return false;

    loop.CurrentIndex = item.Index;
    loop.Current = this;
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    if (!IsFirstVersion4(GetVersion())) MakeOwnerDrawn(item.Submenu);

    Form->SetInMenuLoop(true);
    const bool rightToLeft = Form->Frame().RightToLeft;
    const int x = (rightToLeft ? item.Rect.right : item.Rect.left) + windowRect.left;
    const int y = item.Rect.bottom + windowRect.top;
    TellManagerMenuOpens();
    Form->SetTrackedPopup(item.Submenu);

    InstallMenuHook(*this);
    if (item.Enabled) {
        // The hook sees only queued messages, and an idle loop queues none, so the key that
        // selects the first item is posted now rather than on the loop's first message.
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
        loop.FirstMessageDone = true;
        const UINT flags = TPM_NONOTIFY | TPM_RIGHTBUTTON | (rightToLeft ? TPM_RIGHTALIGN : 0);
        TrackPopupMenu(item.Submenu, flags, x, y, 0, window, nullptr);
    }
    RemoveMenuHook();
    Form->SetInMenuLoop(false);
    return true;
}

}  // namespace skin

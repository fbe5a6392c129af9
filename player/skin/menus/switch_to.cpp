// Moving from one menu-bar item's drop-down to another's: the running loop is ended and the
// next item is clicked, so it opens through the same path as a mouse click.
#include "skin_menu_bar.h"

namespace skin {

void TWinSkinMenu::SwitchTo(TMenuBtn& item) {
    HWND window = Form->WindowHandle();
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    // A click posted into a running menu loop may be dispatched inside it (wine does), and its
    // handler would then track the next drop-down nested in the open one. Ended first, the loop
    // returns and the click arrives after it.
    EndMenu();
    const int x = item.Rect.left + windowRect.left + 1;
    const int y = item.Rect.top + windowRect.top + 1;
    PostMessageA(window, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

}  // namespace skin

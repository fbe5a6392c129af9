#include "owner_drawn_popup.h"

namespace skin {

void MakeOwnerDrawn(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
        if (info.hSubMenu != nullptr) MakeOwnerDrawn(info.hSubMenu);
        info.fMask = MIIM_FTYPE;  // only the type: the text and state stay as they are
        info.fType |= MFT_OWNERDRAW;
        SetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    }
}

bool IsFirstVersion4(DWORD version) { return LOBYTE(LOWORD(version)) == 4 && HIBYTE(LOWORD(version)) == 0; }

}  // namespace skin

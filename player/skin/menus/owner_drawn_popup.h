// The popups of the skinned menu bar are drawn by the skin, so their items are made owner-drawn
// before they open.
#pragma once

#include <windows.h>

namespace skin {

// Every item of menu and of its submenus, however deep, gets MFT_OWNERDRAW; nothing else of
// the items changes.
void MakeOwnerDrawn(HMENU menu);

// The systems whose menus cannot be owner-drawn this way and whose menu bar is built from the
// toolkit items: major version 4 with minor 0 (GetVersion's word).
bool IsFirstVersion4(DWORD version);

}  // namespace skin

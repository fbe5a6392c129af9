// Popup-menu windows. They are not skinned yet: the hook calls these so that the list, its
// clean-up and the menu drawing's questions have their place, and every answer is "none".
#include <algorithm>

#include "skin_manage.h"

namespace skin {

void TSkinManage::SkinPopupMenu(HWND) {}

bool TSkinManage::ForgetPopup(HWND window) {
    auto found = std::find_if(popupSkinners_.begin(), popupSkinners_.end(),
                              [window](const std::unique_ptr<IPopupSkinner>& p) { return p->Window() == window; });
    if (found == popupSkinners_.end()) return false;
    (*found)->Detach();  // the menu window may still get messages before it goes
    popupSkinners_.erase(found);
    if (popupSkinners_.empty()) menuKind_ = 0;
    return true;
}

void TSkinManage::TagLastUntaggedPopup(HMENU) {}

HBITMAP TSkinManage::PopupBitmapByTag(HMENU) const { return nullptr; }

}  // namespace skin

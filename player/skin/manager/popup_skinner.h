// What the manager keeps of the skinner of one popup-menu window. Popup menus are not skinned
// yet: the manager holds the list so the hook and the menu drawing have their place, and the
// list stays empty.
#pragma once

#include <windows.h>

namespace skin {

class IPopupSkinner {
public:
    virtual ~IPopupSkinner() = default;
    virtual HWND Window() const = 0;
    // Gives the menu window its own procedure back; a second call does nothing.
    virtual void Detach() = 0;
};

}  // namespace skin

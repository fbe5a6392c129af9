// The global atom of the ControlOfs window property, computed once on the GUI thread before
// the first window exists, and the property's set, get and remove.
#pragma once

#include <windows.h>

namespace tk {

class TWinControl;

ATOM ControlAtom();  // computes and adds the atom on first use
void AttachControl(HWND window, TWinControl* control);
void DetachControl(HWND window);
TWinControl* AttachedControl(HWND window);

}  // namespace tk

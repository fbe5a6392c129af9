// The toolkit control behind a window handle, found through the toolkit's ControlOfs property.
#pragma once

#include <windows.h>

namespace tk {
class TWinControl;
}

namespace skin {

// The control the toolkit made the window for, or none (a null window, a window of another
// library). It may be any control, not only a form.
tk::TWinControl* ControlOfWindow(HWND window);

}  // namespace skin

#include "control_of_window.h"

#include "control_atom.h"

namespace skin {

tk::TWinControl* ControlOfWindow(HWND window) { return tk::AttachedControl(window); }

}  // namespace skin

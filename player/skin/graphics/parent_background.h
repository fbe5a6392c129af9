// Painting, into a control's DC, what its parent shows under the control: for controls drawn
// over their parent's picture.
#pragma once

#include <windows.h>

#include "control.h"

namespace skin {

// The parent's WM_ERASEBKGND and WM_PAINT, sent with dc moved so that the parent paints in its
// own coordinates and clipped to the control's bounds; dc is restored afterwards. Nothing
// without a parent window.
void PaintParentBackground(tk::TControl& control, HDC dc);

}  // namespace skin

// Painting a colour gradient one pixel band at a time, only where the DC can show it.
#pragma once

#include <windows.h>

#include "colors.h"

namespace skin {

// From colour1 at the rectangle's top (vertical) or left to colour2, one row or column per
// table entry of gradient_table.h. Only the bands inside the DC's clip box are painted, each
// with the colour it has in a full paint. System colours are resolved.
void GradientFill(HDC dc, const RECT& rect, tk::TColor colour1, bool vertical, tk::TColor colour2);

}  // namespace skin

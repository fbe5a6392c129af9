// Horizontal bars made of a left cap, a middle and a right cap of one frame (the margins'
// left and right widths); each part fills the target's full height.
#pragma once

#include <windows.h>

#include "bitmap.h"
#include "skin_picture.h"

namespace skin {

// Caps at their width, the middle repeated at its width from the left cap on while it starts
// before the right cap (the right cap, drawn last, covers what the last copy overhangs). Drawn
// on the canvas transparently (kKeyColour) or opaquely per the picture. A frame with no middle
// columns (width <= left + right) repeats nothing: the gap between the caps keeps what the
// canvas held. Nothing for an empty picture or an empty or inverted rectangle.
void DrawThreeSlice(tk::TCanvas& canvas, const RECT& rect, const SkinPicture& picture, int index);

// The whole frame stretched into rect when the frame is wider than rect; otherwise the caps
// stretched to the rect's outer columns and the middle to the columns between them. Opaque,
// with COLORONCOLOR.
void DrawBar(HDC dc, const RECT& rect, const SkinPicture& picture, int index);

}  // namespace skin

// Drawing one whole frame of a picture whose frames lie side by side: stretched to a
// rectangle, or at its own size centred in it.
#pragma once

#include <windows.h>

#include "bitmap.h"

namespace skin {

// Frame `index` of `count` (from 1; see FrameOf for counts and indexes out of range) stretched
// to rect with COLORONCOLOR, transparently (kKeyColour) or opaquely. Nothing for an empty
// picture or an empty or inverted rectangle.
void DrawFrame(HDC dc, const RECT& rect, tk::TBitmap& picture, bool transparent, int count, int index);

// The frame at its own size, its top-left at rect's left + (rect width - frame width) div 2 and
// top + (rect height - picture height) div 2 (halves rounded toward zero, so a frame larger
// than rect overhangs it evenly).
void DrawFrameCentered(HDC dc, const RECT& rect, tk::TBitmap& picture, bool transparent, int count, int index);

}  // namespace skin

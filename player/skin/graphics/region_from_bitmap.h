// The window region of a shaped picture: every pixel that is not the key colour (within a
// tolerance per channel) belongs to it.
#pragma once

#include <windows.h>

#include "bitmap.h"

namespace skin {

// A region of one rectangle per run of non-key pixels in each row, offset by (x, y). A pixel is
// key when each channel lies from the key's channel to that value + its tolerance (at most 255).
// The caller owns the region; a picture that is all key gives an empty region.
HRGN RegionFromBitmap(tk::TBitmap& picture, int x, int y, int blueTolerance, int greenTolerance, int redTolerance,
                      tk::TColor key);

}  // namespace skin

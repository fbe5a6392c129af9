// Copying a picture so that the pixels of one key colour keep what the destination held. The
// NT family does it in one MaskBlt; older systems lack MaskBlt and combine three blits.
#pragma once

#include <windows.h>

#include "bitmap.h"

namespace skin {

enum class TransparentPath {
    MaskBlt,     // keep-destination where the mask is set, source copy elsewhere
    InvertMask,  // destination ^= picture, &= mask, ^= picture
};

// The path follows the platform (MaskBlt on the NT family); tests choose one. Returns the old.
TransparentPath SetTransparentPath(TransparentPath path);
TransparentPath CurrentTransparentPath();

// Copies the picture's top-left part of rect's size (no more than the picture holds) to rect,
// leaving pixels of exactly key unpainted. Nothing for an inverted rectangle or an empty picture.
void DrawTransparent(HDC dc, const RECT& rect, tk::TBitmap& picture, tk::TColor key);

}  // namespace skin

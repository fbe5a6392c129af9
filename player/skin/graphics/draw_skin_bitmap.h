// Composing one frame of a skin picture into a target of any size from nine pieces
// (nine_slice.h), and drawing the result on a DC.
#pragma once

#include <windows.h>

#include <memory>

#include "bitmap.h"
#include "skin_picture.h"

namespace skin {

// A new 24-bit bitmap of width x height holding frame `index` (from 1) of the picture, pieces
// copied with COLORONCOLOR stretching. The picture's transparency is not applied here. An empty
// picture leaves the bitmap black; a size below 1 gives an empty bitmap.
std::unique_ptr<tk::TBitmap> DrawSkinBitmap(int width, int height, const SkinPicture& picture, int index);

// The composed frame drawn at rect: transparently (kKeyColour) when the picture says so, else
// copied opaquely. Nothing for an empty picture or an empty or inverted rectangle.
void DrawSkinPicture(HDC dc, const RECT& rect, const SkinPicture& picture, int index);

// Repeats the source part of the picture over dest: columns from dest.left in steps of the
// source width while x < dest.right, rows likewise. The last row and column are not clipped
// to dest. Nothing for an empty picture or an empty or inverted source.
void TileBitmap(tk::TCanvas& canvas, const RECT& dest, tk::TBitmap& picture, const RECT& source);

}  // namespace skin

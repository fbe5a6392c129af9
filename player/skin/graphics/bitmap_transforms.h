// Pixel routines on skin pictures. Each first converts the picture to 24 bits per pixel, so it
// works on pictures of any depth (members and resources keep the depth they were stored in).
#pragma once

#include "bitmap.h"

namespace skin {

// Every pixel's three bytes := (red + green + blue) div 3.
void GrayBitmap(tk::TBitmap& bitmap);
// Pixels of exactly 0xFF00FF take colour's low three bytes (a system colour is not resolved).
void ReplaceKeyColour(tk::TBitmap& bitmap, tk::TColor colour);
// Pixel x of each row := pixel (width - 1 - x).
void MirrorBitmap(tk::TBitmap& bitmap);
// Row y := row (height - 1 - y).
void FlipBitmap(tk::TBitmap& bitmap);
// A quarter turn counter-clockwise: width and height swap; pixel (row r, column c) := the
// source's (row c, column width - 1 - r).
void RotateLeft(tk::TBitmap& bitmap);
// A quarter turn clockwise: pixel (row r, column c) := the source's (row height - 1 - c, column r).
void RotateRight(tk::TBitmap& bitmap);

}  // namespace skin

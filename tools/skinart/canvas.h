// Integer-only drawing on skin pictures: fills, gradients, outlines, rounded corners cut to the
// magenta key, bevels and glyphs from ASCII masks. The same calls always give the same pixels.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "bmp_file.h"

namespace skinart {

using skinpack::kMagenta;
using skinpack::Picture;
using skinpack::Rgb;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }   // one past the last column
    int Bottom() const { return y + h; }  // one past the last row
    Rect Inset(int d) const { return {x + d, y + d, w - 2 * d, h - 2 * d}; }
};

// a and b mixed, weight of b in 256ths, rounded.
uint32_t Mix(uint32_t a, uint32_t b, int weightOfB);

void Fill(Picture& p, Rect r, uint32_t colour);
void Pixel(Picture& p, int x, int y, uint32_t colour);
// One colour per row (per column), from the first row's colour to the last one's.
void VerticalGradient(Picture& p, Rect r, uint32_t top, uint32_t bottom);
void HorizontalGradient(Picture& p, Rect r, uint32_t left, uint32_t right);
void Outline(Picture& p, Rect r, uint32_t colour);
// Light on the top and left edges, dark on the bottom and right ones.
void Bevel(Picture& p, Rect r, uint32_t light, uint32_t dark);

enum Corner { kTopLeft = 1, kTopRight = 2, kBottomLeft = 4, kBottomRight = 8, kAllCorners = 15, kTopCorners = 3 };
// Cuts the corners of r to outside (radius 3: 3, 2 and 1 pixels of the first three rows) and,
// when outline is given, draws the outline along the cut so the edge looks round.
void RoundCorners(Picture& p, Rect r, int radius, int corners, uint32_t outside = kMagenta);
void RoundOutline(Picture& p, Rect r, int radius, uint32_t colour, int corners = kAllCorners);

// A glyph mask: rows of equal length; '#' pixels take the glyph's colour, others stay.
using Mask = std::vector<std::string_view>;
void Glyph(Picture& p, int x, int y, const Mask& rows, uint32_t colour);
// The mask centred in r.
void GlyphCentred(Picture& p, Rect r, const Mask& rows, uint32_t colour);

void Blit(Picture& to, int x, int y, const Picture& from);
Picture Crop(const Picture& from, Rect r);
Picture MirrorLeftRight(const Picture& from);
// Quarter turn clockwise: the top row becomes the right column.
Picture TurnClockwise(const Picture& from);
// Frames of one size side by side.
Picture SideBySide(std::initializer_list<Picture> frames);
Picture Stacked(std::initializer_list<Picture> frames);

}  // namespace skinart

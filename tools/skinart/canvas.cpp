#include "canvas.h"

#include <algorithm>

namespace skinart {

using skinpack::BlueOf;
using skinpack::GreenOf;
using skinpack::RedOf;

uint32_t Mix(uint32_t a, uint32_t b, int weightOfB) {
    auto channel = [&](int ca, int cb) { return (ca * (256 - weightOfB) + cb * weightOfB + 128) / 256; };
    return Rgb(channel(RedOf(a), RedOf(b)), channel(GreenOf(a), GreenOf(b)), channel(BlueOf(a), BlueOf(b)));
}

void Pixel(Picture& p, int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.at(x, y) = colour;
}

void Fill(Picture& p, Rect r, uint32_t colour) {
    for (int y = r.y; y < r.Bottom(); ++y)
        for (int x = r.x; x < r.Right(); ++x) Pixel(p, x, y, colour);
}

namespace {

// Entry i of n evenly spaced colours from first to last.
uint32_t Step(uint32_t first, uint32_t last, int i, int n) {
    return n <= 1 ? first : Mix(first, last, (i * 256 + (n - 1) / 2) / (n - 1));
}

}  // namespace

void VerticalGradient(Picture& p, Rect r, uint32_t top, uint32_t bottom) {
    for (int i = 0; i < r.h; ++i) Fill(p, {r.x, r.y + i, r.w, 1}, Step(top, bottom, i, r.h));
}

void HorizontalGradient(Picture& p, Rect r, uint32_t left, uint32_t right) {
    for (int i = 0; i < r.w; ++i) Fill(p, {r.x + i, r.y, 1, r.h}, Step(left, right, i, r.w));
}

void Outline(Picture& p, Rect r, uint32_t colour) { Bevel(p, r, colour, colour); }

void Bevel(Picture& p, Rect r, uint32_t light, uint32_t dark) {
    Fill(p, {r.x, r.y, r.w, 1}, light);
    Fill(p, {r.x, r.y, 1, r.h}, light);
    Fill(p, {r.x, r.Bottom() - 1, r.w, 1}, dark);
    Fill(p, {r.Right() - 1, r.y, 1, r.h}, dark);
}

namespace {

// Calls f(x, y) for the pixels cut from each chosen corner: row k of the corner, counted from
// its outermost row, loses radius - k pixels.
template <class F>
void ForCornerCut(Rect r, int radius, int corners, F f) {
    for (int k = 0; k < radius; ++k)
        for (int i = 0; i < radius - k; ++i) {
            if (corners & kTopLeft) f(r.x + i, r.y + k);
            if (corners & kTopRight) f(r.Right() - 1 - i, r.y + k);
            if (corners & kBottomLeft) f(r.x + i, r.Bottom() - 1 - k);
            if (corners & kBottomRight) f(r.Right() - 1 - i, r.Bottom() - 1 - k);
        }
}

}  // namespace

void RoundCorners(Picture& p, Rect r, int radius, int corners, uint32_t outside) {
    ForCornerCut(r, radius, corners, [&](int x, int y) { Pixel(p, x, y, outside); });
}

void RoundOutline(Picture& p, Rect r, int radius, uint32_t colour, int corners) {
    Outline(p, r, colour);
    RoundCorners(p, r, radius, corners);
    // The first pixel inside each cut row carries the edge.
    for (int k = 0; k < radius; ++k) {
        const int i = radius - k;
        if (corners & kTopLeft) Pixel(p, r.x + i, r.y + k, colour);
        if (corners & kTopRight) Pixel(p, r.Right() - 1 - i, r.y + k, colour);
        if (corners & kBottomLeft) Pixel(p, r.x + i, r.Bottom() - 1 - k, colour);
        if (corners & kBottomRight) Pixel(p, r.Right() - 1 - i, r.Bottom() - 1 - k, colour);
    }
}

void Glyph(Picture& p, int x, int y, const Mask& rows, uint32_t colour) {
    int dy = 0;
    for (std::string_view row : rows) {
        for (size_t dx = 0; dx < row.size(); ++dx)
            if (row[dx] == '#') Pixel(p, x + static_cast<int>(dx), y + dy, colour);
        ++dy;
    }
}

void GlyphCentred(Picture& p, Rect r, const Mask& rows, uint32_t colour) {
    const int h = static_cast<int>(rows.size());
    const int w = h == 0 ? 0 : static_cast<int>(rows.front().size());
    Glyph(p, r.x + (r.w - w) / 2, r.y + (r.h - h) / 2, rows, colour);
}

void Blit(Picture& to, int x, int y, const Picture& from) {
    for (int dy = 0; dy < from.height; ++dy)
        for (int dx = 0; dx < from.width; ++dx) Pixel(to, x + dx, y + dy, from.at(dx, dy));
}

Picture Crop(const Picture& from, Rect r) {
    Picture out(r.w, r.h);
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) out.at(x, y) = from.at(r.x + x, r.y + y);
    return out;
}

Picture MirrorLeftRight(const Picture& from) {
    Picture out(from.width, from.height);
    for (int y = 0; y < from.height; ++y)
        for (int x = 0; x < from.width; ++x) out.at(from.width - 1 - x, y) = from.at(x, y);
    return out;
}

Picture TurnClockwise(const Picture& from) {
    Picture out(from.height, from.width);
    for (int y = 0; y < from.height; ++y)
        for (int x = 0; x < from.width; ++x) out.at(from.height - 1 - y, x) = from.at(x, y);
    return out;
}

Picture SideBySide(std::initializer_list<Picture> frames) {
    const Picture& first = *frames.begin();
    Picture out(first.width * static_cast<int>(frames.size()), first.height);
    int x = 0;
    for (const Picture& f : frames) {
        Blit(out, x, 0, f);
        x += first.width;
    }
    return out;
}

Picture Stacked(std::initializer_list<Picture> frames) {
    const Picture& first = *frames.begin();
    Picture out(first.width, first.height * static_cast<int>(frames.size()));
    int y = 0;
    for (const Picture& f : frames) {
        Blit(out, 0, y, f);
        y += first.height;
    }
    return out;
}

}  // namespace skinart

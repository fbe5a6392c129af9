#include "draw_frame.h"

#include "draw_transparent.h"
#include "skin_picture.h"

namespace skin {
namespace {

void CopyOut(HDC dc, int x, int y, tk::TBitmap& bitmap, bool transparent) {
    if (transparent) {
        DrawTransparent(dc, RECT{x, y, x + bitmap.Width(), y + bitmap.Height()}, bitmap, kKeyColour);
    } else {
        BitBlt(dc, x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
    }
}

// The frame's pixels in a bitmap of width x height, stretched when the sizes differ.
void CopyFrame(tk::TBitmap& into, int width, int height, tk::TBitmap& picture, const SliceRect& frame) {
    into.SetSize(width, height);
    SetStretchBltMode(into.Canvas().Handle(), COLORONCOLOR);
    into.Canvas().CopyRect(RECT{0, 0, width, height}, picture.Canvas(), ToRect(frame));
}

}  // namespace

void DrawFrame(HDC dc, const RECT& rect, tk::TBitmap& picture, bool transparent, int count, int index) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (picture.Empty() || width <= 0 || height <= 0) return;
    const SliceRect frame = FrameOf(picture.Width(), picture.Height(), FrameLayout::SideBySide, count, index);
    if (frame.Width() <= 0) return;
    tk::TBitmap stretched;
    CopyFrame(stretched, width, height, picture, frame);
    CopyOut(dc, rect.left, rect.top, stretched, transparent);
}

void DrawFrameCentered(HDC dc, const RECT& rect, tk::TBitmap& picture, bool transparent, int count, int index) {
    if (picture.Empty() || rect.right <= rect.left || rect.bottom <= rect.top) return;
    const SliceRect frame = FrameOf(picture.Width(), picture.Height(), FrameLayout::SideBySide, count, index);
    if (frame.Width() <= 0) return;
    tk::TBitmap natural;
    CopyFrame(natural, frame.Width(), frame.Height(), picture, frame);
    const int x = rect.left + (rect.right - rect.left - frame.Width()) / 2;
    const int y = rect.top + (rect.bottom - rect.top - picture.Height()) / 2;
    CopyOut(dc, x, y, natural, transparent);
}

}  // namespace skin

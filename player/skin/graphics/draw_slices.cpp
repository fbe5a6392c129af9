#include "draw_slices.h"

#include <algorithm>

namespace skin {
namespace {

// Copies source columns [from, from + width) of the frame to target columns [to, to + toWidth),
// both spanning their full height. Empty parts are skipped.
void CopyColumns(HDC target, int to, int top, int toWidth, int toHeight, HDC source, const SliceRect& frame, int from,
                 int width) {
    if (toWidth <= 0 || width <= 0) return;
    StretchBlt(target, to, top, toWidth, toHeight, source, frame.left + from, frame.top, width, frame.Height(), SRCCOPY);
}

}  // namespace

void DrawThreeSlice(tk::TCanvas& canvas, const RECT& rect, const SkinPicture& picture, int index) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (picture.Empty() || width <= 0 || height <= 0) return;
    const SliceRect frame = picture.Frame(index);
    const int left = std::max(picture.margins.left, 0), right = std::max(picture.margins.right, 0);
    const int middle = frame.Width() - left - right;

    tk::TBitmap strip;
    strip.SetSize(width, height);
    tk::TCanvas& stripCanvas = strip.Canvas();
    stripCanvas.Brush().SetColor(kKeyColour);  // what no part covers stays unpainted when drawn transparently
    stripCanvas.FillRect(RECT{0, 0, width, height});
    HDC to = stripCanvas.Handle(), from = picture.image->Canvas().Handle();
    SetStretchBltMode(to, COLORONCOLOR);
    CopyColumns(to, 0, 0, left, height, from, frame, 0, left);
    if (middle > 0)
        for (int x = left; x < width - right; x += middle) CopyColumns(to, x, 0, middle, height, from, frame, left, middle);
    CopyColumns(to, width - right, 0, right, height, from, frame, frame.Width() - right, right);

    if (picture.transparent) {
        strip.SetTransparent(true);
        strip.SetTransparentColor(kKeyColour);
        canvas.Draw(rect.left, rect.top, strip);
    } else if (middle > 0) {
        BitBlt(canvas.Handle(), rect.left, rect.top, width, height, strip.Canvas().Handle(), 0, 0, SRCCOPY);
    } else {  // only the caps were drawn
        HDC dc = canvas.Handle(), caps = strip.Canvas().Handle();
        BitBlt(dc, rect.left, rect.top, std::min(left, width), height, caps, 0, 0, SRCCOPY);
        const int rightFrom = std::max(width - right, 0);
        BitBlt(dc, rect.left + rightFrom, rect.top, width - rightFrom, height, caps, rightFrom, 0, SRCCOPY);
    }
}

void DrawBar(HDC dc, const RECT& rect, const SkinPicture& picture, int index) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (picture.Empty() || width <= 0 || height <= 0) return;
    const SliceRect frame = picture.Frame(index);
    HDC from = picture.image->Canvas().Handle();
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    if (frame.Width() > width) {
        CopyColumns(dc, rect.left, rect.top, width, height, from, frame, 0, frame.Width());
    } else {
        const int left = std::max(picture.margins.left, 0), right = std::max(picture.margins.right, 0);
        CopyColumns(dc, rect.left, rect.top, left, height, from, frame, 0, left);
        CopyColumns(dc, rect.left + left, rect.top, width - left - right, height, from, frame, left,
                    frame.Width() - left - right);
        CopyColumns(dc, rect.right - right, rect.top, right, height, from, frame, frame.Width() - right, right);
    }
    SetStretchBltMode(dc, oldMode);
}

}  // namespace skin

// How a picture of the skin is drawn: which frames it holds and how a frame fills a target.
// The drawing routines take this description rather than a skin object, so that they serve
// every object of the model and every caller that builds a picture of its own.
#pragma once

#include "bitmap.h"
#include "nine_slice.h"

namespace skin {

// Magenta: the pixels of a picture that a transparent draw leaves unpainted, and the outside of
// a shaped window.
constexpr tk::TColor kKeyColour = 0xFF00FF;

inline RECT ToRect(const SliceRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

struct SkinPicture {
    tk::TBitmap* image = nullptr;  // not owned; nullptr or an empty bitmap draws nothing
    FrameLayout layout = FrameLayout::SideBySide;
    int frameCount = 1;            // below 1 counts as 1
    SliceMargins margins;          // copied unscaled; edges between them stretch
    bool tileCentre = false;       // tile the centre at the picture's size instead of stretching it
    bool transparent = false;      // leave kKeyColour pixels unpainted

    bool Empty() const { return image == nullptr || image->Empty(); }
    SliceRect Frame(int index) const {
        return FrameOf(image->Width(), image->Height(), layout, frameCount, index);
    }
};

}  // namespace skin

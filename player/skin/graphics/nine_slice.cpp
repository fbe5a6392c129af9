#include "nine_slice.h"

#include <algorithm>

namespace skin {

SliceRect FrameOf(int pictureWidth, int pictureHeight, FrameLayout layout, int count, int index) {
    if (count < 1) count = 1;
    if (index < 1 || index > count) index = 1;
    if (layout == FrameLayout::Stacked) {
        const int height = pictureHeight / count;
        return SliceRect{0, height * (index - 1), pictureWidth, height * index};
    }
    const int width = pictureWidth / count;
    return SliceRect{width * (index - 1), 0, width * index, pictureHeight};
}

std::vector<SlicePiece> NineSlicePieces(int width, int height, SliceMargins margins, const SliceRect& frame) {
    int l = std::max(margins.left, 0), t = std::max(margins.top, 0);
    int r = std::max(margins.right, 0), b = std::max(margins.bottom, 0);
    if (width < l + r) l = r = 0;
    if (height < t + b) t = b = 0;
    const int fw = frame.Width(), fh = frame.Height();
    const int w = width, h = height;

    std::vector<SlicePiece> pieces;
    auto add = [&](SliceKind kind, SliceRect dest, SliceRect source) {
        if (dest.Width() <= 0 || dest.Height() <= 0 || source.Width() <= 0 || source.Height() <= 0) return;
        source = {source.left + frame.left, source.top + frame.top, source.right + frame.left, source.bottom + frame.top};
        pieces.push_back({kind, dest, source});
    };
    add(SliceKind::Corner, {0, 0, l, t}, {0, 0, l, t});
    add(SliceKind::Corner, {0, h - b, l, h}, {0, fh - b, l, fh});
    add(SliceKind::Corner, {w - r, 0, w, t}, {fw - r, 0, fw, t});
    add(SliceKind::Edge, {0, t, l, h - b}, {0, t, l, fh - b});
    add(SliceKind::Edge, {l, 0, w - r, t}, {l, 0, fw - r, t});
    add(SliceKind::Centre, {l, t, w - r, h - b}, {l, t, fw - r, fh - b});
    add(SliceKind::Corner, {w - r, h - b, w, h}, {fw - r, fh - b, fw, fh});
    add(SliceKind::Edge, {w - r, t, w, h - b}, {fw - r, t, fw, fh - b});
    add(SliceKind::Edge, {l, h - b, w - r, h}, {l, fh - b, fw - r, fh});
    return pieces;
}

}  // namespace skin

// Where the frames of a skin picture lie, and how one frame is cut into nine pieces that are
// copied into a target of any size: corners unscaled, edges stretched along their length, the
// centre stretched or tiled. Pure arithmetic, shared by every picture drawer.
#pragma once

#include <vector>

namespace skin {

struct SliceRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const SliceRect&) const = default;
};

// The parts of each frame that are copied unscaled.
struct SliceMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Frames are side by side, or stacked one above the other (the caption strip, the bottom border,
// the title background).
enum class FrameLayout { SideBySide, Stacked };

// Frame `index` (from 1) of a picture holding `count` equal frames; widths and heights divide
// without remainder. A count below 1 counts as 1, and an index outside 1..count as 1, so no
// caller can divide by zero or read outside the picture.
SliceRect FrameOf(int pictureWidth, int pictureHeight, FrameLayout layout, int count, int index);

enum class SliceKind { Corner, Edge, Centre };

struct SlicePiece {
    SliceKind kind;
    SliceRect dest;    // in the target, whose origin is (0, 0)
    SliceRect source;  // in the picture (the frame's origin included)
};

// The pieces of `frame` for a target of width x height, in the order they must be drawn:
// top-left, bottom-left and top-right corners, left and top edges, the centre, then the
// bottom-right corner and the right and bottom edges, which cover whatever a tiled centre
// painted past its right and bottom. Margins wider than the target (left + right > width) are
// dropped, as are top and bottom when top + bottom > height; negative margins count as 0.
// A piece whose target or source would be empty or inverted is left out.
std::vector<SlicePiece> NineSlicePieces(int width, int height, SliceMargins margins, const SliceRect& frame);

}  // namespace skin

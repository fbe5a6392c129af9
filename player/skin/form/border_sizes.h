// How thick the skinned borders are: each border picture holds its frames across its thickness
// (the side pieces side by side, the caption and bottom stacked), so a thickness is the picture's
// size divided by its frame count.
#pragma once

#include "frame_state.h"

namespace skin {

struct BorderPictureSize {
    int Width = 0, Height = 0;
    int Frame = 1;  // below 1 counts as 1
};

struct BorderSizes {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const BorderSizes&) const = default;
};

// A frame without caption has no skinned borders at all (nor a menu band).
BorderSizes ComputeBorderSizes(const BorderPictureSize& left, const BorderPictureSize& top,
                               const BorderPictureSize& right, const BorderPictureSize& bottom, TBorderKind kind);

}  // namespace skin

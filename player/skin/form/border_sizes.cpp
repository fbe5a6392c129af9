#include "border_sizes.h"

#include <algorithm>

namespace skin {
namespace {

int Frames(const BorderPictureSize& p) { return std::max(p.Frame, 1); }

}  // namespace

BorderSizes ComputeBorderSizes(const BorderPictureSize& left, const BorderPictureSize& top,
                               const BorderPictureSize& right, const BorderPictureSize& bottom, TBorderKind kind) {
    if (kind == bkNoCaption) return {};
    return BorderSizes{left.Width / Frames(left), top.Height / Frames(top), right.Width / Frames(right),
                       bottom.Height / Frames(bottom)};
}

}  // namespace skin

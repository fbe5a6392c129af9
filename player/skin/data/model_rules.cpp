#include "model_rules.h"

#include <algorithm>

namespace skin {

int BorderFrameCount(int read) { return std::max(read, 1); }

int DerivedCaptionFrames(int width, int height, int action) {
    int frames = 6;
    if (width > 0 && height > 0) frames = width * 10 <= height * 38 ? 3 : 6;  // width / height <= 3.8
    if (action < 0) frames = 6;
    return frames;
}

bool DerivedButtonDropsPicture(int action) { return action == 3 || action == 11; }

int GlyphFrameCount(int width, int height) {
    const int frameWidth = height < 16 ? 13 : 16;
    return std::max(width / frameWidth, 4);
}

MdiButtonCut MdiButtonCutOf(int stripWidth, int button) {
    const int a = stripWidth / 12;
    return {4 * button * a, 4 * a, (a + 4) * (3 - button)};
}

int ToolbarEndWeight(int saturation) { return (5625 - 25 * saturation) / 140 + 50; }

}  // namespace skin

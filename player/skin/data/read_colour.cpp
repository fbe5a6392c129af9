#include "read_colour.h"

#include <cstdint>

#include "byte_text.h"

namespace skin {

tk::TColor ReadColour(std::string_view text, tk::TColor fallback) {
    text = TrimControls(text);
    if (text.empty()) return fallback;
    int channels[3] = {0, 0, 0};
    int found = 0;
    int64_t run = 0;
    bool inRun = false;
    bool overflow = false;  // once a run is too long, it and every later number count as 0
    auto endRun = [&] {
        if (!inRun) return;
        inRun = false;
        if (found < 3) channels[found] = static_cast<int>(run % 256);
        ++found;
        run = 0;
    };
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            inRun = true;
            run = run * 10 + (c - '0');
            if (run > INT32_MAX) {
                overflow = true;
                break;
            }
        } else {
            endRun();
        }
    }
    if (overflow) {
        for (int i = found; i < 3; ++i) channels[i] = 0;
    } else {
        endRun();
    }
    return channels[0] | channels[1] << 8 | channels[2] << 16;
}

tk::TColor ThreeKeyColour(int red, int green, int blue, tk::TColor previous) {
    if (red < 0 || green < 0 || blue < 0) return previous;
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

}  // namespace skin

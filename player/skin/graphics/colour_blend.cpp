#include "colour_blend.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace skin {
namespace {

#ifdef _WIN32
uint32_t DefaultResolver(int index) { return GetSysColor(index); }
#else
uint32_t DefaultResolver(int) { return 0; }
#endif

SystemColourResolver& CurrentResolver() {
    static SystemColourResolver resolver = DefaultResolver;
    return resolver;
}

uint32_t Resolved(tk::TColor colour) {
    if (colour >= 0) return static_cast<uint32_t>(colour);
    return CurrentResolver()(tk::SystemColorIndex(colour));
}

int Channel(uint32_t colour, int channel) { return static_cast<int>((colour >> (8 * channel)) & 0xFF); }

}  // namespace

SystemColourResolver SetSystemColourResolver(SystemColourResolver resolver) {
    return std::exchange(CurrentResolver(), resolver ? resolver : DefaultResolver);
}

tk::TColor Blend(tk::TColor colour1, tk::TColor colour2, int weight) {
    const uint32_t a = Resolved(colour1), b = Resolved(colour2);
    const int64_t divisor = weight < 100 ? 100 : 1000;
    uint32_t result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int64_t mixed =
            (Channel(a, channel) * int64_t{weight} + Channel(b, channel) * (divisor - weight) + divisor / 2) / divisor;
        result |= (static_cast<uint32_t>(mixed) & 0xFF) << (8 * channel);
    }
    return static_cast<tk::TColor>(result);
}

int SaturationValue(tk::TColor colour) {
    const uint32_t c = static_cast<uint32_t>(colour);
    const int r = Channel(c, 0), g = Channel(c, 1), b = Channel(c, 2);
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high < 160) return 200;
    // (high - low) * 255 / high, rounded half up: twice the numerator plus the divisor, halved.
    return ((high - low) * 255 * 2 + high) / (2 * high);
}

}  // namespace skin

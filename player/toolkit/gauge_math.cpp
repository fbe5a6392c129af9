#include "gauge_math.h"

#include <cstdint>

namespace tk {

int GaugePercent(int minValue, int maxValue, int progress) {
    if (maxValue <= minValue) return 0;
    if (progress >= maxValue) return 100;
    if (progress <= minValue) return 0;
    int64_t done = static_cast<int64_t>(progress) - minValue;
    int64_t span = static_cast<int64_t>(maxValue) - minValue;
    return static_cast<int>(done * 100 / span);
}

}  // namespace tk

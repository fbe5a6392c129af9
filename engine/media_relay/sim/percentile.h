// The benchmark's percentile of a set of figures: the value at the rounded rank, as the swarm
// benchmark takes it; empty for no values.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace sim {

inline std::optional<double> Percentile(std::vector<double> values, double p) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::lround(p / 100.0 * static_cast<double>(values.size() - 1)));
    return values[std::min(index, values.size() - 1)];
}

}  // namespace sim

// The percentage a gauge shows, including the ranges an empty channel database produces.
#include <gtest/gtest.h>

#include <climits>

#include "gauge_math.h"

namespace tk {
namespace {

TEST(GaugePercent, RangesAndBounds) {
    struct Case { int minValue, maxValue, progress, percent; };
    const Case cases[] = {
        {0, 100, 0, 0},      {0, 100, 50, 50},     {0, 100, 100, 100}, {0, 100, 150, 100},
        {0, 3, 1, 33},       {0, -1, 0, 0},        {0, 0, 5, 0},       {10, 20, 15, 50},
        {10, 20, 5, 0},      {INT_MIN, INT_MAX, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(GaugePercent(c.minValue, c.maxValue, c.progress), c.percent);
    }
}

}  // namespace
}  // namespace tk

// The percentage a gauge shows. A maximum at or below the minimum (an empty channel database
// gives maximum -1) shows 0 %; progress at or beyond the maximum shows 100 %.
#pragma once

namespace tk {

int GaugePercent(int minValue, int maxValue, int progress);

}  // namespace tk

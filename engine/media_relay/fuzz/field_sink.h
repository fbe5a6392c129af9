// Where the fuzz targets put every value they read, so the compiler cannot drop the reads
// that would fault on a bad view.
#pragma once

#include <cstdint>

namespace field_sink {

inline volatile uint32_t g_sink;

inline void Touch(uint32_t v) {
    g_sink = g_sink + v;
}

inline void TouchBytes(const uint8_t* p, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) Touch(p[i]);
}

}  // namespace field_sink

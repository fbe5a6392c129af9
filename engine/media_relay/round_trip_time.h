// The round-trip time of a hello, from the tick count its answer echoes.
#pragma once

#include <cstdint>

#include "engine_tick.h"

// Elapsed time on the wrapping 32-bit clock. An answer within the same millisecond counts as
// 1 ms: a round-trip time of 0 means "not measured" to the address pool, which would then never
// file the peer as measured.
inline uint32_t RoundTripMs(uint32_t now, uint32_t echoed_tick) {
    const uint32_t elapsed = TickElapsed(now, echoed_tick);
    return elapsed == 0 ? 1 : elapsed;
}

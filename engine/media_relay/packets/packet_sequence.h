// The one sequence counter of the module: every peer packet built takes the next number, so
// numbers run across all packet types. Transfer packets carry none.
#pragma once

#include <cstdint>

// The counter plus one, stored back; the first packet after start carries 1.
uint32_t NextPacketSequence();
// The number the last built packet carried (0 before the first).
uint32_t LastPacketSequence();
// Back to the start state (tests).
void ResetPacketSequence();

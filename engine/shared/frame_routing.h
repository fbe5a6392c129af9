// How the framework host finds the component a datagram or a connection's first frame is for:
// the frame names the channel's GUID in its 16 bytes at offset 12, so nothing shorter than 28
// bytes names one. A connection whose first frame names no component gets the 8-byte refusal
// and is closed. The framework host and the simulator's stand-in for it both route by this.
#pragma once

#include <cstdint>

constexpr uint32_t kRoutingGuidOffset = 12;
constexpr uint32_t kRoutingMinLength = 28;
constexpr uint8_t kRoutingRefusal[8] = {2, 0, 0x40, 0, 3, 0, 0, 0};

// The 16 GUID bytes the frame names, or null when it is too short (or absent) to name any.
inline const uint8_t* RoutingGuid(const uint8_t* frame, uint32_t length) {
    return frame && length >= kRoutingMinLength ? frame + kRoutingGuidOffset : nullptr;
}

// The bytes the shared-block test and its peer process write into a block.
#pragma once

#include <cstdint>

namespace block_pattern {

inline uint8_t CreatorByte(uint32_t i) {
    return static_cast<uint8_t>(i * 7 + 3);
}
inline uint8_t PeerByte(uint32_t i) {
    return static_cast<uint8_t>(0xA0 ^ i);
}
constexpr uint32_t kPeerBytes = 64;  // the peer writes these at the end of the requested size

}  // namespace block_pattern

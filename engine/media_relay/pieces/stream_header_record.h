// The record a stream header piece carries: u16 header type, u16 prefix length p, u16 header
// data length n, u16 trailing length, then p prefix bytes, n header data bytes and the
// trailing bytes. The prefix lists the streams of key-frame types; the header data go to the
// player.
#pragma once

#include <cstdint>

constexpr uint32_t kStreamHeaderFixedSize = 8;

constexpr uint16_t kHeaderTypeKeyframeA = 258;
constexpr uint16_t kHeaderTypeRaw = 260;  // header data sent unchanged, no reply in front
constexpr uint16_t kHeaderTypeKeyframeB = 263;
constexpr uint16_t kHeaderTypeKeyframeC = 264;

struct StreamHeaderRecord {
    uint16_t type = 0;
    uint16_t prefix_length = 0;
    uint16_t data_length = 0;
    uint16_t trailing_length = 0;
    const uint8_t* prefix = nullptr;
    const uint8_t* data = nullptr;
};

// False when the bytes are too short for the fixed part or for the lengths it states.
bool ParseStreamHeaderRecord(const uint8_t* bytes, uint32_t length, StreamHeaderRecord* out);

bool IsKeyframeHeaderType(uint16_t type);

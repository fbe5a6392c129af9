// Little-endian field access inside byte blocks (shared blocks and parameter blocks), by offset.
#pragma once

#include <cstdint>
#include <cstring>

#include "outside_abi.h"

inline uint16_t ReadU16(const uint8_t* base, uint32_t offset) {
    uint16_t v;
    std::memcpy(&v, base + offset, 2);
    return v;
}
inline uint32_t ReadU32(const uint8_t* base, uint32_t offset) {
    uint32_t v;
    std::memcpy(&v, base + offset, 4);
    return v;
}
inline void WriteU16(uint8_t* base, uint32_t offset, uint16_t v) {
    std::memcpy(base + offset, &v, 2);
}
inline void WriteU32(uint8_t* base, uint32_t offset, uint32_t v) {
    std::memcpy(base + offset, &v, 4);
}


// Little-endian field access for packets and shared blocks. Every multi-byte field on the wire
// and in the statistics block is little-endian; going through memcpy keeps unaligned offsets
// legal and the layout independent of any struct packing.
#pragma once

#include <cstdint>
#include <cstring>

inline uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// An IPv4 address keeps the byte order of a socket address (network order) wherever it is
// stored; as a 32-bit word it is those four bytes read little-endian, so writing the word back
// little-endian gives the socket address bytes again.
inline uint32_t ReadIPv4(const uint8_t* p) {
    return ReadU32(p);
}

inline void WriteIPv4(uint8_t* p, uint32_t v) {
    WriteU32(p, v);
}

// Hand-written bytes shared by the packet tests: the test GUIDs and the request header they
// give, so each golden packet only spells out its own fields.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace packet_test {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kChannel[16] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                                  0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};
constexpr uint8_t kSender[16] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,
                                 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F};

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// u16 1001, type, flag, u16 0xAB98, u16 0x0201, u32 sequence (below 256 here), channel.
inline Bytes PrefixBytes(uint8_t type, uint8_t flag, uint8_t sequence) {
    return {0xE9, 0x03, type, flag, 0x98, 0xAB, 0x01, 0x02, sequence, 0x00, 0x00, 0x00,
            0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};
}

inline Bytes RequestHeaderBytes(uint8_t type, uint8_t sequence) {
    return Concat({PrefixBytes(type, 0x01, sequence),
                   {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E,
                    0x2F}});
}

// Source range 1000000 to 1000192.
inline Bytes ReplyHeaderBytes(uint8_t type, uint8_t sequence) {
    return Concat({PrefixBytes(type, 0x00, sequence), {0x40, 0x42, 0x0F, 0x00, 0x00, 0x43, 0x0F, 0x00}});
}

// A request of `type` with `payload` zero bytes after its header.
inline Bytes RequestWithPayload(uint8_t type, uint32_t payload) {
    Bytes b = RequestHeaderBytes(type, 1);
    b.resize(b.size() + payload, 0);
    return b;
}

inline Bytes ReplyWithPayload(uint8_t type, uint32_t payload) {
    Bytes b = ReplyHeaderBytes(type, 1);
    b.resize(b.size() + payload, 0);
    return b;
}

// The first `length` bytes in a buffer of exactly that size, so that any read past them is a
// heap overflow the sanitizer reports.
inline Bytes Cut(const Bytes& b, uint32_t length) {
    return Bytes(b.begin(), b.begin() + length);
}

}  // namespace packet_test

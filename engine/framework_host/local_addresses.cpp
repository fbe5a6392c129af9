#include "local_addresses.h"

#include <algorithm>
#include <cstring>

#include "platform.h"

namespace {
uint32_t LittleEndianWord(uint32_t address_be) {
    uint8_t b[4];
    std::memcpy(b, &address_be, 4);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}
}  // namespace

void SortLocalAddresses(uint32_t* addresses_be, int count) {
    if (count <= 1) return;
    std::stable_sort(addresses_be, addresses_be + count,
                     [](uint32_t a, uint32_t b) { return LittleEndianWord(a) > LittleEndianWord(b); });
}

int GetLocalAddresses(uint32_t out[32]) {
    int count = platform::LocalIPv4Addresses(out, 32);
    if (count < 0) count = 0;
    if (count > 32) count = 32;
    SortLocalAddresses(out, count);
    return count;
}

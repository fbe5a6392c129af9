#include "ipv4_text.h"

#include <cstdio>
#include <cstring>

bool ParseIPv4(const std::string& text, uint32_t& out_be) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    const uint8_t bytes[4] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c),
                              static_cast<uint8_t>(d)};
    std::memcpy(&out_be, bytes, 4);
    return true;
}

std::string IPv4Text(uint32_t address_be) {
    uint8_t b[4];
    std::memcpy(b, &address_be, 4);
    char text[20];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

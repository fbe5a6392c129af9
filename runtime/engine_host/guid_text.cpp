#include "guid_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

namespace {
bool HexField(const std::string& text, size_t pos, size_t digits, uint32_t& out) {
    if (pos + digits > text.size()) return false;
    out = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        uint32_t v;
        if (c >= '0' && c <= '9') v = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') v = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') v = static_cast<uint32_t>(c - 'A' + 10);
        else return false;
        out = out << 4 | v;
    }
    return true;
}
}  // namespace

bool ParseGuidText(const std::string& input, GuidBytes& out) {
    std::string text = input;
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;
    uint32_t d1, d2, d3, b;
    if (!HexField(text, 0, 8, d1) || !HexField(text, 9, 4, d2) || !HexField(text, 14, 4, d3)) return false;
    std::memcpy(out.data(), &d1, 4);
    const uint16_t w2 = static_cast<uint16_t>(d2), w3 = static_cast<uint16_t>(d3);
    std::memcpy(out.data() + 4, &w2, 2);
    std::memcpy(out.data() + 6, &w3, 2);
    const size_t positions[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!HexField(text, positions[i], 2, b)) return false;
        out[8 + i] = static_cast<uint8_t>(b);
    }
    return true;
}

std::string GuidBraceText(const uint8_t* g) {
    uint32_t d1;
    uint16_t d2, d3;
    std::memcpy(&d1, g, 4);
    std::memcpy(&d2, g + 4, 2);
    std::memcpy(&d3, g + 6, 2);
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", d1, d2, d3, g[8], g[9],
                  g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

std::string GuidPlatformText(const uint8_t* guid) {
    char text[37] = "";
    platform::GuidToPlatformString(guid, text);
    return text;
}

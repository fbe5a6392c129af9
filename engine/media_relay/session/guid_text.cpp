#include "session/guid_text.h"

#include <cstdio>

#include "packets/wire_bytes.h"

bool GuidToText(char* out, const uint8_t* guid) {
    const uint8_t* d = guid + 8;
    const int written = std::snprintf(out, kGuidTextLength + 1,
                                      "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                                      static_cast<unsigned>(ReadU32(guid)), static_cast<unsigned>(ReadU16(guid + 4)),
                                      static_cast<unsigned>(ReadU16(guid + 6)), d[0], d[1], d[2], d[3], d[4], d[5],
                                      d[6], d[7]);
    return written == static_cast<int>(kGuidTextLength);
}

std::string GuidToText(const uint8_t* guid) {
    char text[kGuidTextLength + 1];
    return GuidToText(text, guid) ? std::string(text) : std::string();
}

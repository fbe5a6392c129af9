#include "sys_info_report.h"

#include <cstring>
#include <string>

#include "guid_text.h"
#include "ipv4_text.h"
#include "json_line.h"

namespace {
uint16_t U16(const uint8_t* b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b + at, 2);
    return v;
}
uint32_t U32(const uint8_t* b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b + at, 4);
    return v;
}
}  // namespace

void PrintSysInfo(const uint8_t* b) {
    std::string addrs = "[";
    const unsigned count = U16(b, 106);
    for (unsigned i = 0; i < count && i < 32; ++i) {
        if (i) addrs += ", ";
        addrs += JsonString(IPv4Text(U32(b, 108 + 4 * i)));
    }
    addrs += "]";
    std::string components = "[";
    const int32_t rows = static_cast<int32_t>(U32(b, 236));
    for (int32_t i = 0; i < rows && i < 32; ++i) {
        const uint8_t* row = b + 240 + 32 * i;
        if (i) components += ", ";
        components += JsonObject()
                          .Str("guid", GuidBraceText(row))
                          .Int("type", static_cast<int32_t>(U32(row, 16)))
                          .Str("handle", Hex32(U32(row, 20)))
                          .Str("block", Hex32(U32(row, 24)))
                          .Str("module", Hex32(U32(row, 28)))
                          .Text();
    }
    components += "]";
    PrintEvent("sysinfo", JsonObject()
                              .Str("version", Hex32(U32(b, 0)))
                              .Int("w4", U32(b, 4))
                              .Int("w8", U32(b, 8))
                              .Int("tcp", U16(b, 14))
                              .Int("udp", U16(b, 16))
                              .Int("alt_tcp", U16(b, 24))
                              .Int("alt_udp", U16(b, 26))
                              .Str("notify", Hex32(U32(b, 28)))
                              .Int("conn_limit", U16(b, 36))
                              .Int("transfer_limit", U16(b, 38))
                              .Str("instance", GuidBraceText(b + 40))
                              .Raw("addrs", addrs)
                              .Int("rows", rows)
                              .Raw("components", components));
}

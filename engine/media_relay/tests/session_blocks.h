// Hand-built blocks for the relay session tests: a SysInfoBlock as the framework host fills it
// and a CreateParamBlock as a host program builds it, with the byte offsets spelled out here so
// the tests do not lean on the constants of the code they check.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "packets/wire_bytes.h"
#include "platform.h"
#include "session/guid_text.h"

namespace session_test {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kParamBlockSize = 1584;
constexpr uint32_t kStatsSize = 41048;

// 127.0.0.1 and 10.1.2.3 as socket-address words.
constexpr uint32_t kLoopback = 0x0100007F;
constexpr uint32_t kOtherIPv4 = 0x0302010A;

struct SysInfo {
    uint16_t tcp = 3040, udp = 6171, alt_tcp = 0, alt_udp = 0;
    uint16_t transfer_limit = 64;
    uint32_t window = 0;
    uint32_t ipv4 = kLoopback;
    uint8_t instance[16] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                            0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF};

    Bytes Build() const {
        Bytes b(1264, 0);
        WriteU16(&b[14], tcp);
        WriteU16(&b[16], udp);
        WriteU16(&b[24], alt_tcp);
        WriteU16(&b[26], alt_udp);
        WriteU32(&b[28], window);
        WriteU16(&b[36], 50);
        WriteU16(&b[38], transfer_limit);
        std::memcpy(&b[40], instance, 16);
        WriteU16(&b[106], 1);
        WriteU32(&b[108], ipv4);
        return b;
    }
};

// A channel GUID no other test process uses: the process id in Data1, a counter in Data4.
inline std::vector<uint8_t> UniqueGuid() {
    static uint8_t counter = 0;
    std::vector<uint8_t> guid(16, 0);
    WriteU32(&guid[0], platform::CurrentProcessId());
    guid[4] = 0x5E;
    guid[15] = ++counter;
    return guid;
}

inline std::string StatsName(const std::vector<uint8_t>& guid) {
    return "OS_SYS_META" + GuidToText(guid.data());
}

struct LinkEntry {
    uint32_t server_ipv4 = kLoopback;
    uint16_t server_port = 7000;
    uint8_t kind = 0;
    uint32_t report_ipv4 = 0;
    uint16_t report_tcp = 0, report_udp = 0;
};

inline void WriteLinkEntry(uint8_t* p, const LinkEntry& e) {
    WriteU32(p, e.server_ipv4);
    WriteU16(p + 4, e.server_port);
    p[6] = e.kind;
    p[7] = 0;
    WriteU32(p + 8, e.report_ipv4);
    WriteU16(p + 12, e.report_tcp);
    WriteU16(p + 14, e.report_udp);
}

// The full-size block of a well-behaved host; tests then cut or corrupt it.
struct ParamBlock {
    std::vector<uint8_t> guid = UniqueGuid();
    uint8_t* sys_info = nullptr;
    std::string text1 = "first text", text2 = "second text";
    uint32_t type_one_word = 0x11223344;
    std::vector<LinkEntry> links;
    std::vector<Bytes> sources;  // 8-byte peer addresses

    Bytes Build() const {
        Bytes b(kParamBlockSize, 0);
        WriteU32(&b[0], kParamBlockSize);
        WriteU32(&b[136], 1001);
        std::memcpy(&b[140], guid.data(), 16);
        WriteU32(&b[156], 0xFFFFFFFF);  // no UDP socket: sends fail quietly
        WriteU32(&b[160], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sys_info)));
        std::memcpy(&b[354], text1.data(), std::min<size_t>(text1.size(), 64));
        std::memcpy(&b[418], text2.data(), std::min<size_t>(text2.size(), 64));
        WriteU32(&b[488], type_one_word);
        WriteU16(&b[808], static_cast<uint16_t>(links.size()));
        for (size_t i = 0; i < links.size() && i < 16; ++i) WriteLinkEntry(&b[812 + 16 * i], links[i]);
        WriteU32(&b[1068], static_cast<uint32_t>(sources.size()));
        for (size_t i = 0; i < sources.size() && i < 64; ++i) std::memcpy(&b[1072 + 8 * i], sources[i].data(), 8);
        return b;
    }
};

inline Bytes PeerAddressBytes(uint32_t ipv4, uint16_t tcp, uint16_t udp) {
    Bytes b(8);
    WriteU32(&b[0], ipv4);
    WriteU16(&b[4], tcp);
    WriteU16(&b[6], udp);
    return b;
}

}  // namespace session_test

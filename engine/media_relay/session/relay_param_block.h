// The relay module's reading of a CreateParamBlock. The block comes from the host program and
// its counts are not trusted: every field is read only where it lies inside the length the
// block states at offset 0, the link and source counts are cut to what is present and to their
// areas' capacity, and fields beyond the length read as zero.
#pragma once

#include <cstdint>

#include "outside_abi.h"

namespace relay_param {

// The framework's fields.
constexpr uint32_t kTotalLength = 0;       // u32
constexpr uint32_t kComponentGuid = 140;   // 16 bytes
constexpr uint32_t kUdpSocket = 156;       // i32
constexpr uint32_t kSysInfoBlock = 160;    // address
constexpr uint32_t kCreateNetRequest = 164;  // address
// The module's part.
constexpr uint32_t kText1 = 354;           // char[64]
constexpr uint32_t kText2 = 418;           // char[64]
constexpr uint32_t kTextField = 64;
constexpr uint32_t kTextMax = 63;          // characters used of a text
constexpr uint32_t kTypeOneWord = 488;     // u32
constexpr uint32_t kLinkCount = 808;       // u16
constexpr uint32_t kLinkEntries = 812;     // 16 bytes each
constexpr uint32_t kLinkEntrySize = 16;
constexpr uint32_t kLinkAreaEnd = 1068;
constexpr uint32_t kMaxLinks = (kLinkAreaEnd - kLinkEntries) / kLinkEntrySize;  // 16
constexpr uint32_t kSourceCount = 1068;    // u32
constexpr uint32_t kSourcePeers = 1072;    // 8-byte peer addresses
constexpr uint32_t kSourcePeerSize = 8;
constexpr uint32_t kMaxSourcePeers = 64;
// The length of the largest layout: every field above inside it.
constexpr uint32_t kFullLength = kSourcePeers + kMaxSourcePeers * kSourcePeerSize;  // 1584

// Link entry fields (offsets inside one entry).
constexpr uint32_t kLinkServerIPv4 = 0;    // u32 network order
constexpr uint32_t kLinkServerPort = 4;    // u16 host order
constexpr uint32_t kLinkKind = 6;          // u8 0 UDP, 1 request
constexpr uint32_t kLinkReportIPv4 = 8;    // u32; 0 or 0xFFFFFFFF = own
constexpr uint32_t kLinkReportTcp = 12;    // u16; 0 = own
constexpr uint32_t kLinkReportUdp = 14;    // u16; 0 = own

struct RelayParams {
    uint32_t length = 0;  // bytes that may be read (and, for link entries, written)
    uint8_t channel_guid[16] = {};
    int32_t udp_socket = -1;
    uint8_t* sys_info = nullptr;
    CreateNetRequestFn create_net_request = nullptr;
    char text1[kTextField] = {};
    char text2[kTextField] = {};
    uint32_t type_one_word = 0;
    uint8_t* link_entries = nullptr;  // inside the block; `link_count` whole entries
    uint32_t link_count = 0;
    const uint8_t* source_peers = nullptr;
    uint32_t source_count = 0;
};

// Reads `block`; false only when there is no block.
bool ReadRelayParams(uint8_t* block, RelayParams* out);

// Fills the "own" report values of a link entry in place: a report IPv4 of 0 or 0xFFFFFFFF
// becomes `own_ipv4`, report ports of 0 the own ports.
void FillOwnReportValues(uint8_t* entry, uint32_t own_ipv4, uint16_t own_tcp, uint16_t own_udp);

}  // namespace relay_param

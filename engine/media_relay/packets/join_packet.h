// Type 1, link join: tells a link server the ports this host serves on and its addresses.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"

constexpr uint32_t kJoinTcpPortOffset = 44;
constexpr uint32_t kJoinUdpPortOffset = 46;
constexpr uint32_t kJoinZero1Offset = 48;
constexpr uint32_t kJoinZero2Offset = 52;
constexpr uint32_t kJoinTypeOneWordOffset = 56;
constexpr uint32_t kJoinAddressCountOffset = 60;
constexpr uint32_t kJoinAddressesOffset = 61;
constexpr uint32_t kJoinMinimum = 61;  // plus 4 per address

struct JoinFields {
    uint16_t tcp_port = 0;
    uint16_t udp_port = 0;
    uint32_t type_one_word = 0;
    const uint32_t* addresses = nullptr;  // IPv4 words
    uint8_t address_count = 0;
};

void BuildJoinPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                     const JoinFields& fields);

class JoinView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const;
    uint16_t TcpPort() const;
    uint16_t UdpPort() const;
    uint32_t TypeOneWord() const;
    uint8_t AddressCount() const { return Data()[kJoinAddressCountOffset]; }
    uint32_t AddressAt(uint32_t index) const;
};

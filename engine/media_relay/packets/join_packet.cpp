#include "packets/join_packet.h"

#include "packets/wire_bytes.h"

void BuildJoinPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                     const JoinFields& fields) {
    StartRequest(out, kPacketJoin, channel_guid, sender_id);
    uint8_t* p = out.bytes;
    WriteU16(p + kJoinTcpPortOffset, fields.tcp_port);
    WriteU16(p + kJoinUdpPortOffset, fields.udp_port);
    WriteU32(p + kJoinZero1Offset, 0);
    WriteU32(p + kJoinZero2Offset, 0);
    WriteU32(p + kJoinTypeOneWordOffset, fields.type_one_word);
    const uint8_t count = fields.addresses ? fields.address_count : 0;
    p[kJoinAddressCountOffset] = count;
    for (uint32_t i = 0; i < count; ++i) WriteIPv4(p + kJoinAddressesOffset + 4 * i, fields.addresses[i]);
    out.length = kJoinMinimum + 4 * count;
}

bool JoinView::IsValid() const {
    return IsRequestOf(kPacketJoin, kJoinMinimum) && Holds(kJoinMinimum + 4ull * AddressCount());
}

uint16_t JoinView::TcpPort() const {
    return ReadU16(Data() + kJoinTcpPortOffset);
}

uint16_t JoinView::UdpPort() const {
    return ReadU16(Data() + kJoinUdpPortOffset);
}

uint32_t JoinView::TypeOneWord() const {
    return ReadU32(Data() + kJoinTypeOneWordOffset);
}

uint32_t JoinView::AddressAt(uint32_t index) const {
    return ReadIPv4(Data() + kJoinAddressesOffset + 4 * index);
}

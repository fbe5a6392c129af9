#include "packets/hello_packet.h"

#include "packets/wire_bytes.h"

namespace {
constexpr uint8_t kFirstWrappedSlotCount = 128;
}

void BuildHelloPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                      const PeerAddress& own_address, uint8_t free_slots, uint32_t tick) {
    StartRequest(out, kPacketHello, channel_guid, sender_id);
    WritePeerAddress(out.bytes + kHelloAddressOffset, own_address);
    out.bytes[kHelloFreeSlotsOffset] = free_slots >= kFirstWrappedSlotCount ? 0 : free_slots;
    WriteU32(out.bytes + kHelloTickOffset, tick);
    out.length = kHelloLength;
}

PeerAddress HelloView::Address() const {
    return ReadPeerAddress(Data() + kHelloAddressOffset);
}

uint32_t HelloView::Tick() const {
    return ReadU32(Data() + kHelloTickOffset);
}

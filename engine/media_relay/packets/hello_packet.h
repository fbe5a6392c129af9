// 'A', hello: greets a peer over UDP and opens every peer connection. It states the sender's
// address, how many transfers it can still take and its tick count, which the answering peer
// list echoes for the round-trip time.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"
#include "peers/peer_address.h"

constexpr uint32_t kHelloAddressOffset = 44;
constexpr uint32_t kHelloFreeSlotsOffset = 52;
constexpr uint32_t kHelloTickOffset = 53;
constexpr uint32_t kHelloLength = 57;

// `free_slots` is the published byte of the statistics block; a value of 128 or more is a count
// that went below zero and is sent as 0.
void BuildHelloPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                      const PeerAddress& own_address, uint8_t free_slots, uint32_t tick);

class HelloView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const { return IsRequestOf(kPacketHello, kHelloLength); }
    PeerAddress Address() const;
    uint8_t FreeSlots() const { return Data()[kHelloFreeSlotsOffset]; }
    uint32_t Tick() const;
};

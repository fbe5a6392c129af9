// 'B', peer list: the answer to a hello. It echoes the hello's tick, then lists the sender's
// own record followed by other live peers; the count byte holds the number of records with
// the own one included.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"
#include "packets/peer_record.h"

constexpr uint32_t kPeerListTickOffset = 44;
constexpr uint32_t kPeerListCountOffset = 48;
constexpr uint32_t kPeerListRecordsOffset = 49;  // the sender's own record comes first
constexpr uint32_t kPeerListMinimum = 49;        // plus 16 per record the count byte names
// The count byte must hold the own record too, so at most 254 others fit.
constexpr uint32_t kPeerListMaxOtherRecords = 254;

// Lists at most 254 of `other_count` records after the own one; returns how many were listed.
uint32_t BuildPeerListPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                             uint32_t echoed_tick, const PeerRecord& own_record, const PeerRecord* others,
                             uint32_t other_count);

class PeerListView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const;
    uint32_t EchoedTick() const;
    // Records present, the sender's own one included (0 means an empty, unusable list).
    uint8_t RecordCount() const { return Data()[kPeerListCountOffset]; }
    PeerRecord RecordAt(uint32_t index) const;
    const uint8_t* RecordBytes(uint32_t index) const { return Data() + kPeerListRecordsOffset + 16 * index; }
};

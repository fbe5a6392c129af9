// Type 2, link announce: this host's status and pieces, and how many peers it wants listed.
// One announce is built per broadcast; the two counts are rewritten for each link.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"

constexpr uint32_t kAnnounceStatusOffset = 44;
constexpr uint32_t kAnnounceRangeOffset = 52;
constexpr uint32_t kAnnounceRepliesOffset = 60;
constexpr uint32_t kAnnounceWantedOffset = 62;
constexpr uint32_t kAnnounceLength = 64;
constexpr uint16_t kAnnounceWantedRecords = 50;

void BuildAnnouncePacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                         const StatusRecord& status, const PieceRange& range);
// The per-link fields: type-2 replies this link has received, and records wanted.
void SetAnnounceCounts(PeerPacket& announce, uint16_t replies_received,
                       uint16_t wanted_records = kAnnounceWantedRecords);

class AnnounceView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const { return IsRequestOf(kPacketAnnounce, kAnnounceLength); }
    StatusRecord Status() const;
    PieceRange Range() const;
    uint16_t RepliesReceived() const;
    uint16_t WantedRecords() const;
};

// Type 3, link status: this host's status and pieces, sent to the current link server at the
// status interval; its reply keeps the link up.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"

constexpr uint32_t kLinkStatusStatusOffset = 44;
constexpr uint32_t kLinkStatusRangeOffset = 52;
constexpr uint32_t kLinkStatusLength = 60;

void BuildLinkStatusPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                           const StatusRecord& status, const PieceRange& range);

class LinkStatusView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const { return IsRequestOf(kPacketLinkStatus, kLinkStatusLength); }
    StatusRecord Status() const;
    PieceRange Range() const;
};

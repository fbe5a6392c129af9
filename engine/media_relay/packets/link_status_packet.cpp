#include "packets/link_status_packet.h"

void BuildLinkStatusPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                           const StatusRecord& status, const PieceRange& range) {
    StartRequest(out, kPacketLinkStatus, channel_guid, sender_id);
    WriteStatusRecord(out.bytes + kLinkStatusStatusOffset, status);
    WritePieceRange(out.bytes + kLinkStatusRangeOffset, range);
    out.length = kLinkStatusLength;
}

StatusRecord LinkStatusView::Status() const {
    return ReadStatusRecord(Data() + kLinkStatusStatusOffset);
}

PieceRange LinkStatusView::Range() const {
    return ReadPieceRange(Data() + kLinkStatusRangeOffset);
}

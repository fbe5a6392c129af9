#include "packets/announce_packet.h"

#include "packets/wire_bytes.h"

void BuildAnnouncePacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                         const StatusRecord& status, const PieceRange& range) {
    StartRequest(out, kPacketAnnounce, channel_guid, sender_id);
    WriteStatusRecord(out.bytes + kAnnounceStatusOffset, status);
    WritePieceRange(out.bytes + kAnnounceRangeOffset, range);
    out.length = kAnnounceLength;
    SetAnnounceCounts(out, 0);
}

void SetAnnounceCounts(PeerPacket& announce, uint16_t replies_received, uint16_t wanted_records) {
    WriteU16(announce.bytes + kAnnounceRepliesOffset, replies_received);
    WriteU16(announce.bytes + kAnnounceWantedOffset, wanted_records);
}

StatusRecord AnnounceView::Status() const {
    return ReadStatusRecord(Data() + kAnnounceStatusOffset);
}

PieceRange AnnounceView::Range() const {
    return ReadPieceRange(Data() + kAnnounceRangeOffset);
}

uint16_t AnnounceView::RepliesReceived() const {
    return ReadU16(Data() + kAnnounceRepliesOffset);
}

uint16_t AnnounceView::WantedRecords() const {
    return ReadU16(Data() + kAnnounceWantedOffset);
}

#include "packets/peer_list_packet.h"

#include <algorithm>

#include "packets/wire_bytes.h"

uint32_t BuildPeerListPacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                             uint32_t echoed_tick, const PeerRecord& own_record, const PeerRecord* others,
                             uint32_t other_count) {
    StartRequest(out, kPacketPeerList, channel_guid, sender_id);
    const uint32_t n = others ? std::min(other_count, kPeerListMaxOtherRecords) : 0;
    WriteU32(out.bytes + kPeerListTickOffset, echoed_tick);
    out.bytes[kPeerListCountOffset] = static_cast<uint8_t>(n + 1);
    WritePeerRecord(out.bytes + kPeerListRecordsOffset, own_record);
    for (uint32_t i = 0; i < n; ++i)
        WritePeerRecord(out.bytes + kPeerListRecordsOffset + kPeerRecordSize * (i + 1), others[i]);
    out.length = kPeerListMinimum + kPeerRecordSize * (n + 1);
    return n;
}

bool PeerListView::IsValid() const {
    return IsRequestOf(kPacketPeerList, kPeerListMinimum) &&
           Holds(kPeerListMinimum + uint64_t{kPeerRecordSize} * RecordCount());
}

uint32_t PeerListView::EchoedTick() const {
    return ReadU32(Data() + kPeerListTickOffset);
}

PeerRecord PeerListView::RecordAt(uint32_t index) const {
    return ReadPeerRecord(RecordBytes(index));
}

#include "packets/link_replies.h"

#include <algorithm>
#include <cstring>

#include "packets/wire_bytes.h"

void BuildJoinReply(PeerPacket& out, const uint8_t* request, const SourceRange& source, uint32_t seen_ipv4,
                    uint16_t keep_alive_seconds) {
    StartReply(out, request, source);
    std::memset(out.bytes + kReplyHeaderSize, 0, kJoinReplyMinimum - kReplyHeaderSize);
    WriteIPv4(out.bytes + kJoinReplyIPv4Offset, seen_ipv4);
    WriteU16(out.bytes + kJoinReplyKeepAliveOffset, keep_alive_seconds);
    out.length = kJoinReplyMinimum;
}

uint32_t BuildPeerListReply(PeerPacket& out, const uint8_t* request, const SourceRange& source,
                            const PeerRecord* records, uint32_t count) {
    StartReply(out, request, source);
    const uint32_t n = records ? std::min(count, kPeerListReplyMaxRecords) : 0;
    out.bytes[kPeerListReplyCountOffset] = static_cast<uint8_t>(n);
    for (uint32_t i = 0; i < n; ++i)
        WritePeerRecord(out.bytes + kPeerListReplyRecordsOffset + kPeerRecordSize * i, records[i]);
    out.length = kPeerListReplyMinimum + kPeerRecordSize * n;
    return n;
}

void BuildStatusReply(PeerPacket& out, const uint8_t* request, const SourceRange& source) {
    StartReply(out, request, source);
    out.bytes[kReplyHeaderSize] = 0;
    out.length = kStatusReplyMinimum;
}

uint32_t JoinReplyView::SeenIPv4() const {
    return ReadIPv4(Data() + kJoinReplyIPv4Offset);
}

uint16_t JoinReplyView::KeepAliveSeconds() const {
    return ReadU16(Data() + kJoinReplyKeepAliveOffset);
}

bool PeerListReplyView::IsValid() const {
    return IsReplyOf(kPacketAnnounce, kPeerListReplyMinimum) &&
           Holds(kPeerListReplyMinimum + uint64_t{kPeerRecordSize} * RecordCount());
}

PeerRecord PeerListReplyView::RecordAt(uint32_t index) const {
    return ReadPeerRecord(RecordBytes(index));
}

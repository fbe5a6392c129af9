#include "packets/packet_header.h"

#include <cstring>

#include "packets/packet_sequence.h"
#include "packets/wire_bytes.h"

bool SameGuid(const uint8_t* a, const uint8_t* b) {
    return std::memcmp(a, b, kGuidSize) == 0;
}

void StartRequest(PeerPacket& packet, uint8_t type, const uint8_t* channel_guid, const uint8_t* sender_id) {
    uint8_t* p = packet.bytes;
    WriteU16(p, kPacketMark);
    p[kPacketTypeOffset] = type;
    p[kRequestFlagOffset] = kRequestFlag;
    WriteU16(p + kMagic1Offset, kPeerPacketMagic1);
    WriteU16(p + kMagic2Offset, kPeerPacketMagic2);
    WriteU32(p + kSequenceOffset, NextPacketSequence());
    std::memcpy(p + kChannelGuidOffset, channel_guid, kGuidSize);
    std::memcpy(p + kSenderIdOffset, sender_id, kGuidSize);
    packet.length = kRequestHeaderSize;
}

void StartReply(PeerPacket& packet, const uint8_t* request, const SourceRange& source_range) {
    std::memcpy(packet.bytes, request, kReplyCopiedBytes);
    packet.bytes[kRequestFlagOffset] = kReplyFlag;
    WriteSourceRange(packet.bytes + kReplySourceRangeOffset, source_range);
    packet.length = kReplyHeaderSize;
}

void WriteTransferHeader(uint8_t* bytes, uint8_t type) {
    WriteU16(bytes, kPacketMark);
    bytes[kTransferTypeOffset] = type;
    bytes[kTransferMarkOffset] = kTransferMark;
}

bool PeerPacketView::HasPeerFraming() const {
    return Holds(kPeerPacketMinimum) && ReadU16(Data() + kMagic1Offset) == kPeerPacketMagic1 &&
           ReadU16(Data() + kMagic2Offset) == kPeerPacketMagic2;
}

uint32_t PeerPacketView::Sequence() const {
    return ReadU32(Data() + kSequenceOffset);
}

bool RequestHeaderView::IsRequestOf(uint8_t type, uint64_t minimum) const {
    return IsValid() && Type() == type && Holds(minimum);
}

SourceRange ReplyHeaderView::Source() const {
    return ReadSourceRange(Data() + kReplySourceRangeOffset);
}

bool ReplyHeaderView::IsReplyOf(uint8_t type, uint64_t minimum) const {
    return IsValid() && Type() == type && Holds(minimum);
}

bool TransferHeaderView::IsTransferOf(uint8_t type, uint64_t minimum) const {
    return IsValid() && Type() == type && Holds(minimum);
}

// The replies link servers send: to a join (type 1), an announce (type 2, a list of peers) and a
// status (type 3). Each copies the request's first 28 bytes with flag 0 and carries the
// source's piece range. The module only reads them; the builders serve link-server stand-ins.
#pragma once

#include <cstdint>

#include "packets/packet_header.h"
#include "packets/peer_record.h"

constexpr uint32_t kJoinReplyIPv4Offset = 36;
constexpr uint32_t kJoinReplyKeepAliveOffset = 40;
constexpr uint32_t kJoinReplyMinimum = 54;  // the fields end at 42; servers pad to 54

constexpr uint32_t kPeerListReplyCountOffset = 36;
constexpr uint32_t kPeerListReplyRecordsOffset = 37;
constexpr uint32_t kPeerListReplyMinimum = 37;  // plus 16 per record
constexpr uint32_t kPeerListReplyMaxRecords = 255;

constexpr uint32_t kStatusReplyMinimum = 37;

// `request` is the request answered (at least its first 28 bytes).
void BuildJoinReply(PeerPacket& out, const uint8_t* request, const SourceRange& source, uint32_t seen_ipv4,
                    uint16_t keep_alive_seconds);
// Lists at most 255 records; returns how many were listed.
uint32_t BuildPeerListReply(PeerPacket& out, const uint8_t* request, const SourceRange& source,
                            const PeerRecord* records, uint32_t count);
void BuildStatusReply(PeerPacket& out, const uint8_t* request, const SourceRange& source);

class JoinReplyView : public ReplyHeaderView {
public:
    using ReplyHeaderView::ReplyHeaderView;
    bool IsValid() const { return IsReplyOf(kPacketJoin, kJoinReplyMinimum); }
    // This host's IPv4 as the server saw it.
    uint32_t SeenIPv4() const;
    uint16_t KeepAliveSeconds() const;
};

class PeerListReplyView : public ReplyHeaderView {
public:
    using ReplyHeaderView::ReplyHeaderView;
    bool IsValid() const;
    uint8_t RecordCount() const { return Data()[kPeerListReplyCountOffset]; }
    PeerRecord RecordAt(uint32_t index) const;
    const uint8_t* RecordBytes(uint32_t index) const {
        return Data() + kPeerListReplyRecordsOffset + 16 * index;
    }
};

class StatusReplyView : public ReplyHeaderView {
public:
    using ReplyHeaderView::ReplyHeaderView;
    bool IsValid() const { return IsReplyOf(kPacketLinkStatus, kStatusReplyMinimum); }
};

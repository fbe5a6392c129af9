// Framing shared by every peer packet (request header of 44 bytes, reply header of 36) and by
// the transfer packets of peer connections (4-byte header), with the non-copying views that
// the typed packet views build on. A view never reads a byte it has not checked is present:
// every accessor of a typed view may be called only once its IsValid() answered true.
#pragma once

#include <cstdint>

#include "packets/packet_fields.h"

constexpr uint16_t kPacketMark = 1001;            // u16 at 0 of every packet
constexpr uint16_t kPeerPacketMagic1 = 0xAB98;    // u16 at 4 of a peer packet
constexpr uint16_t kPeerPacketMagic2 = 0x0201;    // u16 at 6 of a peer packet
constexpr uint32_t kGuidSize = 16;
constexpr uint32_t kPeerPacketCapacity = 8192;    // bounds every peer packet layout

// Request header.
constexpr uint32_t kPacketTypeOffset = 2;
constexpr uint32_t kRequestFlagOffset = 3;
constexpr uint32_t kMagic1Offset = 4;
constexpr uint32_t kMagic2Offset = 6;
constexpr uint32_t kSequenceOffset = 8;
constexpr uint32_t kChannelGuidOffset = 12;
constexpr uint32_t kSenderIdOffset = 28;
constexpr uint32_t kRequestHeaderSize = 44;
constexpr uint8_t kRequestFlag = 1;
constexpr uint8_t kReplyFlag = 0;
constexpr uint8_t kNoFlag = 0xFF;
// Shortest buffer whose magic words can be read (the session's first receive test).
constexpr uint32_t kPeerPacketMinimum = 28;

// Reply header: the request's first 28 bytes with flag 0, then the source range.
constexpr uint32_t kReplyCopiedBytes = 28;
constexpr uint32_t kReplySourceRangeOffset = 28;
constexpr uint32_t kReplyHeaderSize = 36;

// Transfer header: u16 1001, u8 type, u8 1.
constexpr uint32_t kTransferTypeOffset = 2;
constexpr uint32_t kTransferMarkOffset = 3;
constexpr uint32_t kTransferHeaderSize = 4;
constexpr uint8_t kTransferMark = 1;

enum PeerPacketType : uint8_t {
    kPacketJoin = 1,
    kPacketAnnounce = 2,
    kPacketLinkStatus = 3,
    kPacketLeave = 4,
    kPacketControl = 64,        // '@', transfer only
    kPacketHello = 'A',         // peer packet, also the first packet of a connection
    kPacketPeerList = 'B',      // peer packet, also on connections
    kPacketAvailability = 'D',  // transfer only
    kPacketPieceRequest = 'E',  // transfer only
    kPacketPiece = 'F',         // transfer only
};

// A peer packet under construction: the fixed buffer every peer packet is built in.
struct PeerPacket {
    uint8_t bytes[kPeerPacketCapacity];
    uint32_t length = 0;
};

bool SameGuid(const uint8_t* a, const uint8_t* b);

// Writes the request header of `type` with the next sequence number and sets the length to
// the header's end; `channel_guid` and `sender_id` are 16 bytes each.
void StartRequest(PeerPacket& packet, uint8_t type, const uint8_t* channel_guid, const uint8_t* sender_id);
// Writes the reply header answering `request` (at least 28 bytes) and sets the length to 36.
void StartReply(PeerPacket& packet, const uint8_t* request, const SourceRange& source_range);

void WriteTransferHeader(uint8_t* bytes, uint8_t type);

// Bytes and length of a received packet; the typed views derive from it.
class PacketView {
public:
    PacketView(const uint8_t* data, uint32_t length) : m_data(data), m_length(data ? length : 0) {}
    const uint8_t* Data() const { return m_data; }
    uint32_t Length() const { return m_length; }
    // The type byte, 0 when the buffer is too short to hold one.
    uint8_t Type() const { return m_length > kPacketTypeOffset ? m_data[kPacketTypeOffset] : 0; }

protected:
    bool Holds(uint64_t bytes) const { return m_length >= bytes; }

private:
    const uint8_t* m_data;
    uint32_t m_length;
};

// The first 28 bytes every peer packet (request or reply) shares.
class PeerPacketView : public PacketView {
public:
    using PacketView::PacketView;
    // Long enough for the shared part and both magic words present.
    bool HasPeerFraming() const;
    // The fields below need the framing checked first.
    // Readable before the framing is checked (a reply's flag is tested first); kNoFlag when the
    // buffer is too short to hold one.
    uint8_t Flag() const { return Length() > kRequestFlagOffset ? Data()[kRequestFlagOffset] : kNoFlag; }
    bool IsRequest() const { return Flag() == kRequestFlag; }
    bool IsReply() const { return Flag() == kReplyFlag; }
    uint32_t Sequence() const;
    const uint8_t* ChannelGuid() const { return Data() + kChannelGuidOffset; }
};

class RequestHeaderView : public PeerPacketView {
public:
    using PeerPacketView::PeerPacketView;
    bool IsValid() const { return HasPeerFraming() && Holds(kRequestHeaderSize); }
    const uint8_t* SenderId() const { return Data() + kSenderIdOffset; }
    const uint8_t* Payload() const { return Data() + kRequestHeaderSize; }

protected:
    // A request of `type` that holds at least `minimum` bytes.
    bool IsRequestOf(uint8_t type, uint64_t minimum) const;
};

class ReplyHeaderView : public PeerPacketView {
public:
    using PeerPacketView::PeerPacketView;
    bool IsValid() const { return HasPeerFraming() && Holds(kReplyHeaderSize); }
    SourceRange Source() const;
    const uint8_t* Payload() const { return Data() + kReplyHeaderSize; }

protected:
    bool IsReplyOf(uint8_t type, uint64_t minimum) const;
};

// The 4-byte header of a transfer packet.
class TransferHeaderView : public PacketView {
public:
    using PacketView::PacketView;
    bool IsValid() const { return Holds(kTransferHeaderSize); }
    const uint8_t* Payload() const { return Data() + kTransferHeaderSize; }

protected:
    bool IsTransferOf(uint8_t type, uint64_t minimum) const;
};

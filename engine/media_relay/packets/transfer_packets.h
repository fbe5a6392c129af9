// The packets of a peer connection after the hellos: control ('@'), availability ('D'), piece
// request ('E') and piece ('F'), each behind the 4-byte transfer header. The hello and peer
// list travel on connections too, as whole peer packets (hello_packet.h, peer_list_packet.h).
#pragma once

#include <cstdint>

#include "packets/packet_fields.h"
#include "packets/packet_header.h"
#include "packets/transfer_packet.h"
#include "pieces/stream_header_record.h"

// '@' control: u16 kind, u16 n, n bytes.
constexpr uint32_t kControlKindOffset = 4;
constexpr uint32_t kControlLengthOffset = 6;
constexpr uint32_t kControlDataOffset = 8;
constexpr uint32_t kControlMinimum = 8;  // plus n
enum ControlKind : uint16_t {
    kControlClose = 1,             // empty: the sender ends the connection
    kControlPieceUnavailable = 2,  // u32 piece number the sender does not hold
    kControlRefused = 3,           // the sender refuses this connection
};

// 'D' availability: status record, u16 n, u32 first piece, n bytes of bits (0x80 first).
constexpr uint32_t kAvailabilityStatusOffset = 4;
constexpr uint32_t kAvailabilityByteCountOffset = 12;
constexpr uint32_t kAvailabilityFirstPieceOffset = 14;
constexpr uint32_t kAvailabilityBitsOffset = 18;
constexpr uint32_t kAvailabilityMinimum = 18;  // plus n
constexpr uint32_t kMaxAvailabilityBytes = 65535;  // what the u16 count can say

// 'E' piece request: u8 c, c x u32 piece numbers.
constexpr uint32_t kPieceRequestCountOffset = 4;
constexpr uint32_t kPieceRequestPiecesOffset = 5;
constexpr uint32_t kPieceRequestMinimum = 5;  // plus 4 c
constexpr uint32_t kMaxRequestedPieces = 255;

// 'F' piece: u32 piece number, u8 kind, u16 L, L bytes of body.
constexpr uint32_t kPieceNumberOffset = 4;
constexpr uint32_t kPieceKindOffset = 8;
constexpr uint32_t kPieceBodyLengthOffset = 9;
constexpr uint32_t kPieceBodyOffset = 11;
constexpr uint32_t kPieceHeaderLength = 11;  // an 'F' of this length or less carries nothing
// Piece kinds besides PIECE_DATA (1) and PIECE_HEADER (2): u16 m, then m bytes.
constexpr uint8_t kPieceKindExtra = 3;
constexpr uint32_t kDataPiecePrefix = 8;  // time stamp and header id

// Builders; each packet is empty when the core has no memory for it.
CTransferPacket BuildControlPacket(uint16_t kind, const uint8_t* data, uint16_t length);
CTransferPacket BuildPieceUnavailablePacket(uint32_t piece);
// `bits` may be null for a map of zeros to fill in place (AvailabilityBits). More than 65535
// bytes are cut to the first 65535, so the count never misstates the map.
CTransferPacket BuildAvailabilityPacket(const StatusRecord& status, uint32_t first_piece, const uint8_t* bits,
                                        uint32_t byte_count);
uint8_t* AvailabilityBits(CTransferPacket& availability);
// Bytes of a map of the pieces from `first` up to, not including, `end` (0 when end <= first),
// at most 65535.
uint32_t AvailabilityByteCount(uint32_t first, uint32_t end);
// Marks map index `index` in `bits` of `byte_count` bytes; indexes past the map are ignored.
void MarkAvailable(uint8_t* bits, uint32_t byte_count, uint32_t index);
// At most 255 pieces are requested.
CTransferPacket BuildPieceRequestPacket(const uint32_t* pieces, uint32_t count);
CTransferPacket BuildPieceRequestPacket(uint32_t piece);

class ControlView : public TransferHeaderView {
public:
    using TransferHeaderView::TransferHeaderView;
    bool IsValid() const;
    uint16_t Kind() const;
    uint16_t ControlLength() const;
    const uint8_t* ControlData() const { return Data() + kControlDataOffset; }
    // A kind-2 packet of exactly one piece number.
    bool IsPieceUnavailable() const { return Kind() == kControlPieceUnavailable && ControlLength() == 4; }
    uint32_t UnavailablePiece() const;
};

class AvailabilityView : public TransferHeaderView {
public:
    using TransferHeaderView::TransferHeaderView;
    bool IsValid() const;
    StatusRecord Status() const;
    const uint8_t* StatusBytes() const { return Data() + kAvailabilityStatusOffset; }
    uint16_t ByteCount() const;
    uint32_t FirstPiece() const;
    const uint8_t* Bits() const { return Data() + kAvailabilityBitsOffset; }
};

class PieceRequestView : public TransferHeaderView {
public:
    using TransferHeaderView::TransferHeaderView;
    bool IsValid() const;
    uint8_t Count() const { return Data()[kPieceRequestCountOffset]; }
    uint32_t PieceAt(uint32_t index) const;
};

// A received piece. Valid only when its body lies inside the packet and is well formed for its
// kind (1 data, 2 stream header, 3), and its number is not 0 (which means "no piece"). A header
// body must hold its record's prefix, header data and trailing bytes.
class PieceView : public TransferHeaderView {
public:
    using TransferHeaderView::TransferHeaderView;
    bool IsValid() const;
    uint32_t PieceNumber() const;
    uint8_t Kind() const { return Data()[kPieceKindOffset]; }
    uint16_t BodyLength() const;
    const uint8_t* Body() const { return Data() + kPieceBodyOffset; }

    // Data pieces.
    uint32_t TimeStamp() const;
    uint32_t StreamHeaderId() const;
    const uint8_t* StreamData() const { return Body() + kDataPiecePrefix; }
    uint32_t StreamDataLength() const { return BodyLength() - kDataPiecePrefix; }

    // Header pieces: the stream header record the body holds.
    StreamHeaderRecord HeaderRecord() const;

    // Kind-3 pieces.
    uint16_t ExtraLength() const;
    const uint8_t* ExtraData() const { return Body() + 2; }

private:
    bool BodyIsWellFormed() const;
};

// A byte-for-byte copy of a received piece, for relaying and storing.
CTransferPacket CopyPiecePacket(const PieceView& piece);

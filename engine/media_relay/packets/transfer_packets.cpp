#include "packets/transfer_packets.h"

#include <algorithm>
#include <cstring>

#include "packets/wire_bytes.h"

namespace {
// The kinds of the piece packets (PIECE_DATA and PIECE_HEADER of the stored pieces).
constexpr uint8_t kPieceKindData = 1;
constexpr uint8_t kPieceKindHeader = 2;
}  // namespace

CTransferPacket BuildControlPacket(uint16_t kind, const uint8_t* data, uint16_t length) {
    const uint16_t n = data ? length : 0;
    CTransferPacket packet(kControlMinimum + n);
    if (packet.IsEmpty()) return packet;
    uint8_t* p = packet.Data();
    WriteTransferHeader(p, kPacketControl);
    WriteU16(p + kControlKindOffset, kind);
    WriteU16(p + kControlLengthOffset, n);
    if (n) std::memcpy(p + kControlDataOffset, data, n);
    return packet;
}

CTransferPacket BuildPieceUnavailablePacket(uint32_t piece) {
    uint8_t number[4];
    WriteU32(number, piece);
    return BuildControlPacket(kControlPieceUnavailable, number, sizeof(number));
}

CTransferPacket BuildAvailabilityPacket(const StatusRecord& status, uint32_t first_piece, const uint8_t* bits,
                                        uint32_t byte_count) {
    const uint32_t n = std::min(byte_count, kMaxAvailabilityBytes);
    CTransferPacket packet(kAvailabilityMinimum + n);
    if (packet.IsEmpty()) return packet;
    uint8_t* p = packet.Data();
    WriteTransferHeader(p, kPacketAvailability);
    WriteStatusRecord(p + kAvailabilityStatusOffset, status);
    WriteU16(p + kAvailabilityByteCountOffset, static_cast<uint16_t>(n));
    WriteU32(p + kAvailabilityFirstPieceOffset, first_piece);
    if (bits && n) std::memcpy(p + kAvailabilityBitsOffset, bits, n);
    return packet;
}

uint8_t* AvailabilityBits(CTransferPacket& availability) {
    return availability.IsEmpty() ? nullptr : availability.Data() + kAvailabilityBitsOffset;
}

uint32_t AvailabilityByteCount(uint32_t first, uint32_t end) {
    if (end <= first) return 0;
    const uint32_t span = end - first;
    const uint32_t bytes = span / 8 + (span % 8 ? 1 : 0);
    return std::min(bytes, kMaxAvailabilityBytes);
}

void MarkAvailable(uint8_t* bits, uint32_t byte_count, uint32_t index) {
    if (index / 8 >= byte_count) return;
    bits[index / 8] |= static_cast<uint8_t>(0x80u >> (index % 8));
}

CTransferPacket BuildPieceRequestPacket(const uint32_t* pieces, uint32_t count) {
    const uint32_t c = pieces ? std::min(count, kMaxRequestedPieces) : 0;
    CTransferPacket packet(kPieceRequestMinimum + 4 * c);
    if (packet.IsEmpty()) return packet;
    uint8_t* p = packet.Data();
    WriteTransferHeader(p, kPacketPieceRequest);
    p[kPieceRequestCountOffset] = static_cast<uint8_t>(c);
    for (uint32_t i = 0; i < c; ++i) WriteU32(p + kPieceRequestPiecesOffset + 4 * i, pieces[i]);
    return packet;
}

CTransferPacket BuildPieceRequestPacket(uint32_t piece) {
    return BuildPieceRequestPacket(&piece, 1);
}

bool ControlView::IsValid() const {
    return IsTransferOf(kPacketControl, kControlMinimum) && Holds(uint64_t{kControlMinimum} + ControlLength());
}

uint16_t ControlView::Kind() const {
    return ReadU16(Data() + kControlKindOffset);
}

uint16_t ControlView::ControlLength() const {
    return ReadU16(Data() + kControlLengthOffset);
}

uint32_t ControlView::UnavailablePiece() const {
    return ReadU32(ControlData());
}

bool AvailabilityView::IsValid() const {
    return IsTransferOf(kPacketAvailability, kAvailabilityMinimum) &&
           Holds(uint64_t{kAvailabilityMinimum} + ByteCount());
}

StatusRecord AvailabilityView::Status() const {
    return ReadStatusRecord(StatusBytes());
}

uint16_t AvailabilityView::ByteCount() const {
    return ReadU16(Data() + kAvailabilityByteCountOffset);
}

uint32_t AvailabilityView::FirstPiece() const {
    return ReadU32(Data() + kAvailabilityFirstPieceOffset);
}

bool PieceRequestView::IsValid() const {
    return IsTransferOf(kPacketPieceRequest, kPieceRequestMinimum) &&
           Holds(kPieceRequestMinimum + 4ull * Count());
}

uint32_t PieceRequestView::PieceAt(uint32_t index) const {
    return ReadU32(Data() + kPieceRequestPiecesOffset + 4 * index);
}

bool PieceView::IsValid() const {
    if (!IsTransferOf(kPacketPiece, kPieceHeaderLength + 1)) return false;
    if (!Holds(uint64_t{kPieceHeaderLength} + BodyLength())) return false;
    return PieceNumber() != 0 && BodyIsWellFormed();
}

bool PieceView::BodyIsWellFormed() const {
    const uint32_t length = BodyLength();
    switch (Kind()) {
        case kPieceKindData:
            return length >= kDataPiecePrefix;
        case kPieceKindHeader: {
            StreamHeaderRecord record;
            if (!ParseStreamHeaderRecord(Body(), length, &record)) return false;
            return kStreamHeaderFixedSize + record.prefix_length + record.data_length + record.trailing_length <=
                   length;
        }
        case kPieceKindExtra:
            return length >= 2 && 2u + ExtraLength() <= length;
        default:
            return false;
    }
}

uint32_t PieceView::PieceNumber() const {
    return ReadU32(Data() + kPieceNumberOffset);
}

uint16_t PieceView::BodyLength() const {
    return ReadU16(Data() + kPieceBodyLengthOffset);
}

uint32_t PieceView::TimeStamp() const {
    return ReadU32(Body());
}

uint32_t PieceView::StreamHeaderId() const {
    return ReadU32(Body() + 4);
}

StreamHeaderRecord PieceView::HeaderRecord() const {
    StreamHeaderRecord record;
    ParseStreamHeaderRecord(Body(), BodyLength(), &record);
    return record;
}

uint16_t PieceView::ExtraLength() const {
    return ReadU16(Body());
}

CTransferPacket CopyPiecePacket(const PieceView& piece) {
    CTransferPacket copy(piece.Length());
    if (!copy.IsEmpty() && piece.Length()) std::memcpy(copy.Data(), piece.Data(), piece.Length());
    return copy;
}

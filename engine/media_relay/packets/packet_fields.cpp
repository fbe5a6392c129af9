#include "packets/packet_fields.h"

#include "packets/wire_bytes.h"

namespace {
constexpr uint32_t kReservedOffset = 0;
constexpr uint32_t kSendRateOffset = 2;
constexpr uint32_t kFreeSlotsOffset = 4;
constexpr uint32_t kOutgoingOffset = 5;
constexpr uint32_t kIncomingOffset = 6;
constexpr uint32_t kLossOffset = 7;
}  // namespace

StatusRecord ReadStatusRecord(const uint8_t* bytes) {
    StatusRecord r;
    r.reserved = ReadU16(bytes + kReservedOffset);
    r.send_rate_k = ReadU16(bytes + kSendRateOffset);
    r.free_slots = bytes[kFreeSlotsOffset];
    r.outgoing = bytes[kOutgoingOffset];
    r.incoming = bytes[kIncomingOffset];
    r.loss_percent = bytes[kLossOffset];
    return r;
}

void WriteStatusRecord(uint8_t* bytes, const StatusRecord& record) {
    WriteU16(bytes + kReservedOffset, record.reserved);
    WriteU16(bytes + kSendRateOffset, record.send_rate_k);
    bytes[kFreeSlotsOffset] = record.free_slots;
    bytes[kOutgoingOffset] = record.outgoing;
    bytes[kIncomingOffset] = record.incoming;
    bytes[kLossOffset] = record.loss_percent;
}

PieceRange ReadPieceRange(const uint8_t* bytes) {
    return PieceRange{ReadU32(bytes), ReadU32(bytes + 4)};
}

void WritePieceRange(uint8_t* bytes, const PieceRange& range) {
    WriteU32(bytes, range.first);
    WriteU32(bytes + 4, range.last);
}

SourceRange ReadSourceRange(const uint8_t* bytes) {
    return SourceRange{ReadU32(bytes), ReadU32(bytes + 4)};
}

void WriteSourceRange(uint8_t* bytes, const SourceRange& range) {
    WriteU32(bytes, range.low);
    WriteU32(bytes + 4, range.high);
}

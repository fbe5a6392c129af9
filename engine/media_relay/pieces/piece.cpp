#include "pieces/piece.h"

#include <cstring>
#include <new>

#include "engine_tables.h"
#include "packets/wire_bytes.h"

namespace {

constexpr uint32_t kNumberOffset = 4;
constexpr uint32_t kKindOffset = 8;
constexpr uint32_t kBodyLengthOffset = 9;

bool BodyIsWellFormed(uint8_t kind, const uint8_t* body, uint32_t body_length) {
    if (kind == PIECE_DATA) return body_length >= kDataPiecePrefixSize;
    if (kind == PIECE_HEADER) {
        StreamHeaderRecord record;
        return ParseStreamHeaderRecord(body, body_length, &record);
    }
    return true;
}

}  // namespace

CPiece* CPiece::FromPacket(const uint8_t* packet, uint32_t length) {
    if (!packet || length < kPiecePacketFixedSize) return nullptr;
    const uint32_t body_length = ReadU16(packet + kBodyLengthOffset);
    if (kPiecePacketFixedSize + body_length > length) return nullptr;
    if (ReadU32(packet + kNumberOffset) == 0) return nullptr;
    if (!BodyIsWellFormed(packet[kKindOffset], packet + kPiecePacketFixedSize, body_length)) return nullptr;

    uint8_t* copy = static_cast<uint8_t*>(CoreAlloc(length));
    if (!copy) return nullptr;
    std::memcpy(copy, packet, length);
    CPiece* piece = new (std::nothrow) CPiece(copy, length);
    if (!piece) CoreFree(copy);
    return piece;
}

CPiece::~CPiece() {
    CoreFree(m_packet);
}

uint32_t CPiece::Number() const {
    return ReadU32(m_packet + kNumberOffset);
}

uint8_t CPiece::Kind() const {
    return m_packet[kKindOffset];
}

uint16_t CPiece::BodyLength() const {
    return ReadU16(m_packet + kBodyLengthOffset);
}

uint32_t CPiece::TimeStamp() const {
    return IsData() ? ReadU32(Body()) : 0;
}

uint32_t CPiece::HeaderId() const {
    return IsData() ? ReadU32(Body() + 4) : 0;
}

const uint8_t* CPiece::StreamData() const {
    return Body() + kDataPiecePrefixSize;
}

uint32_t CPiece::StreamDataLength() const {
    return IsData() ? BodyLength() - kDataPiecePrefixSize : 0;
}

bool CPiece::HeaderRecord(StreamHeaderRecord* out) const {
    return IsHeader() && ParseStreamHeaderRecord(Body(), BodyLength(), out);
}

// One received stream piece: a copy of its 'F' packet (4-byte transfer header, u32 piece
// number, u8 kind, u16 body length, body) in an engine-core block. A data piece's body starts
// with its u32 time stamp (ms) and u32 stream header id, followed by the stream data; a header
// piece's body is its stream header record and its number is the header id.
#pragma once

#include <cstdint>

#include "pieces/stream_header_record.h"

enum PieceKind : uint8_t {
    PIECE_DATA = 1,
    PIECE_HEADER = 2,
};

constexpr uint32_t kPiecePacketFixedSize = 11;
constexpr uint32_t kDataPiecePrefixSize = 8;

class CPiece {
public:
    // Null when the packet is malformed: shorter than its stated body, piece number 0, a data
    // body without its prefix, a header body too short for its record; or when memory runs out.
    // Other kinds are kept as they are, for the receiver to refuse.
    static CPiece* FromPacket(const uint8_t* packet, uint32_t length);
    virtual ~CPiece();
    CPiece(const CPiece&) = delete;
    CPiece& operator=(const CPiece&) = delete;

    uint32_t Number() const;
    uint8_t Kind() const;
    bool IsData() const { return Kind() == PIECE_DATA; }
    bool IsHeader() const { return Kind() == PIECE_HEADER; }
    uint16_t BodyLength() const;
    const uint8_t* Body() const { return m_packet + kPiecePacketFixedSize; }

    // Data pieces; 0 / empty for other kinds.
    uint32_t TimeStamp() const;
    uint32_t HeaderId() const;
    const uint8_t* StreamData() const;
    uint32_t StreamDataLength() const;

    // Header pieces; false for other kinds.
    bool HeaderRecord(StreamHeaderRecord* out) const;

    const uint8_t* Packet() const { return m_packet; }
    uint32_t PacketLength() const { return m_length; }

private:
    CPiece(uint8_t* packet, uint32_t length) : m_packet(packet), m_length(length) {}

    uint8_t* m_packet;
    uint32_t m_length;
};

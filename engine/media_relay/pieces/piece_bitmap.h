// Which pieces of the stream a remote peer holds: one byte per piece from a first piece number
// on (1 = held). Built from the bits of the peer's availability packets.
#pragma once

#include <cstdint>
#include <vector>

class CPieceBitmap {
public:
    CPieceBitmap() = default;
    // `count` pieces, none held; a count below 0 gives an empty map.
    CPieceBitmap(uint32_t first_piece, int32_t count);
    // 8 x `byte_count` pieces from packed bits, bit 0x80 of byte 0 being the first piece.
    CPieceBitmap(uint32_t first_piece, uint32_t byte_count, const uint8_t* bits);

    uint32_t FirstPiece() const { return m_first; }
    uint32_t Count() const { return static_cast<uint32_t>(m_held.size()); }
    // The byte at map index `index` (0 past the end).
    uint8_t At(uint32_t index) const { return index < Count() ? m_held[index] : 0; }
    // Piece number of map index `index` (unsigned 32-bit arithmetic).
    uint32_t PieceAt(uint32_t index) const { return m_first + index; }
    // First piece past the map.
    uint32_t End() const { return m_first + Count(); }

    // Piece 0 means "no piece" and is never held.
    bool Has(uint32_t piece) const;
    // The peer is now assumed not to hold it.
    void Clear(uint32_t piece);

private:
    bool IndexOf(uint32_t piece, uint32_t& index) const;

    uint32_t m_first = 0;
    std::vector<uint8_t> m_held;
};

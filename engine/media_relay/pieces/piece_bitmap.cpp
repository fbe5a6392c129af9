#include "pieces/piece_bitmap.h"

#include <cstddef>

CPieceBitmap::CPieceBitmap(uint32_t first_piece, int32_t count)
    : m_first(first_piece), m_held(count > 0 ? static_cast<size_t>(count) : 0, 0) {}

CPieceBitmap::CPieceBitmap(uint32_t first_piece, uint32_t byte_count, const uint8_t* bits)
    : m_first(first_piece), m_held(bits ? size_t{byte_count} * 8 : 0, 0) {
    if (!bits) return;
    for (uint32_t i = 0; i < byte_count; ++i) {
        for (uint32_t bit = 0; bit < 8; ++bit) {
            if (bits[i] & (0x80u >> bit)) m_held[size_t{i} * 8 + bit] = 1;
        }
    }
}

bool CPieceBitmap::IndexOf(uint32_t piece, uint32_t& index) const {
    if (piece == 0) return false;
    index = piece - m_first;
    return index < Count();
}

bool CPieceBitmap::Has(uint32_t piece) const {
    uint32_t index;
    return IndexOf(piece, index) && m_held[index] != 0;
}

void CPieceBitmap::Clear(uint32_t piece) {
    uint32_t index;
    if (IndexOf(piece, index)) m_held[index] = 0;
}

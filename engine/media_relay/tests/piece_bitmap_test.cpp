// The peer's piece map: empty and sized maps, unpacking of availability bits, look-ups.
#include <gtest/gtest.h>

#include <vector>

#include "pieces/piece_bitmap.h"

namespace {
std::vector<uint32_t> HeldPieces(const CPieceBitmap& map) {
    std::vector<uint32_t> held;
    for (uint32_t i = 0; i < map.Count(); ++i)
        if (map.At(i)) held.push_back(map.PieceAt(i));
    return held;
}
}  // namespace

TEST(PieceBitmap, SizedMapsStartEmpty) {
    struct Case {
        int32_t count;
        uint32_t expected;
    };
    for (const Case c : {Case{0, 0}, Case{-1, 0}, Case{-100000, 0}, Case{1, 1}, Case{37, 37}}) {
        const CPieceBitmap map(500, c.count);
        EXPECT_EQ(map.Count(), c.expected) << c.count;
        EXPECT_EQ(map.FirstPiece(), 500u);
        EXPECT_TRUE(HeldPieces(map).empty());
    }
    EXPECT_EQ(CPieceBitmap().Count(), 0u);
}

TEST(PieceBitmap, UnpacksBitsMostSignificantFirst) {
    struct Case {
        const char* name;
        uint32_t first;
        std::vector<uint8_t> bits;
        std::vector<uint32_t> held;
    };
    const std::vector<Case> cases = {
        {"no bytes", 1000, {}, {}},
        {"0x80 and 0x01 of one byte", 1000, {0x81}, {1000, 1007}},
        {"0x40 of byte 0, 0x20 of byte 1", 10, {0x40, 0x20}, {11, 20}},
        {"a full byte then none", 1, {0xFF, 0x00}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"0x10, 0x08, 0x04, 0x02", 0, {0x1E}, {3, 4, 5, 6}},
        {"across the wrap of piece numbers", 0xFFFFFFFC, {0x0F}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        const CPieceBitmap map(c.first, static_cast<uint32_t>(c.bits.size()), c.bits.data());
        EXPECT_EQ(map.Count(), 8 * c.bits.size()) << c.name << ": always a multiple of 8 pieces";
        EXPECT_EQ(HeldPieces(map), c.held) << c.name;
    }
}

TEST(PieceBitmap, LookUpsByPieceNumber) {
    const uint8_t bits[] = {0x81};
    CPieceBitmap map(1000, 1, bits);
    EXPECT_TRUE(map.Has(1000));
    EXPECT_FALSE(map.Has(1001));
    EXPECT_TRUE(map.Has(1007));
    EXPECT_FALSE(map.Has(1008)) << "past the map";
    EXPECT_FALSE(map.Has(999)) << "before the map";
    EXPECT_EQ(map.End(), 1008u);
    EXPECT_EQ(map.At(8), 0) << "an index past the map reads as missing";

    map.Clear(1007);
    EXPECT_FALSE(map.Has(1007));
    map.Clear(5000);  // outside: no effect, no write
    EXPECT_TRUE(map.Has(1000));
}

TEST(PieceBitmap, PieceZeroIsNeverHeld) {
    const uint8_t bits[] = {0xFF};
    CPieceBitmap map(0, 1, bits);
    EXPECT_EQ(map.At(0), 1) << "the byte is kept as sent";
    EXPECT_FALSE(map.Has(0));
    EXPECT_TRUE(map.Has(1));
    CPieceBitmap wrapped(0xFFFFFFFF, 1, bits);
    EXPECT_FALSE(wrapped.Has(0));
    EXPECT_TRUE(wrapped.Has(0xFFFFFFFF));
    EXPECT_TRUE(wrapped.Has(6));
}

// The flat-colour table the skin tests take their expected pixels from, checked against the
// pictures the build packed: every zone of every frame holds its table colour, the colours are
// all different and none is near the magenta key.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "bmp_file.h"
#include "flat_skin_colours.h"
#include "skin_source.h"

namespace {

using namespace flatskin;

uint32_t RgbOf(uint32_t colorref) { return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | colorref >> 16; }

skinpack::Picture Load(const Entry& e) {
    const std::string path = std::string(FLAT_SKIN_SOURCES) + "/" + e.skin + "/" + e.object->member;
    std::optional<skinpack::Picture> p = skinpack::DecodeBmp24(skinpack::ReadFileBytes(path));
    EXPECT_TRUE(p) << path;
    return p.value_or(skinpack::Picture());
}

struct Span {
    int start, length;
};
// The columns (or rows) of the three zone bands of one side: before, between and after the margins.
Span Band(int band, int size, int first, int last) {
    switch (band) {
        case 0: return {0, first};
        case 1: return {first, size - first - last};
        default: return {size - last, last};
    }
}

// Zone number of a band pair, as the header numbers them.
int ZoneOf(int row, int column) {
    constexpr int kZones[3][3] = {{zone::kTopLeft, zone::kTop, zone::kTopRight},
                                  {zone::kLeft, zone::kCentre, zone::kRight},
                                  {zone::kBottomLeft, zone::kBottom, zone::kBottomRight}};
    return kZones[row][column];
}

TEST(FlatSkinColours, EveryZoneHoldsItsTableColour) {
    for (const Entry& e : kObjects) {
        SCOPED_TRACE(e.object->member);
        const Object& o = *e.object;
        const skinpack::Picture p = Load(e);
        ASSERT_EQ(p.width, o.stacked ? o.frameWidth : o.frameWidth * o.frames);
        ASSERT_EQ(p.height, o.stacked ? o.frameHeight * o.frames : o.frameHeight);
        for (int f = 0; f < o.frames; ++f) {
            const int x0 = o.stacked ? 0 : f * o.frameWidth, y0 = o.stacked ? f * o.frameHeight : 0;
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 3; ++column) {
                    const Span ys = Band(row, o.frameHeight, o.top, o.bottom);
                    const Span xs = Band(column, o.frameWidth, o.left, o.right);
                    if (ys.length <= 0 || xs.length <= 0) continue;
                    int x = x0 + xs.start + xs.length / 2, y = y0 + ys.start + ys.length / 2;
                    if (&o == &kMenuItem && f == 1) {
                        if (row != 1 || column != 1) continue;  // the separator frame is magenta but its line
                        EXPECT_EQ(p.at(x, kMenuItemSeparatorRows[0]), RgbOf(e.colours[9 * f + zone::kCentre]));
                        EXPECT_EQ(p.at(x, 0), skinpack::kMagenta);
                        continue;
                    }
                    EXPECT_EQ(p.at(x, y), RgbOf(e.colours[9 * f + ZoneOf(row, column)]))
                        << "frame " << f + 1 << " zone " << ZoneOf(row, column);
                }
        }
    }
}

TEST(FlatSkinColours, LeftPieceCornersAreMagentaInBothFrames) {
    const skinpack::Picture p = Load(kObjects[0]);
    ASSERT_EQ(kObjects[0].object, &kLeft);
    for (int f = 0; f < kLeft.frames; ++f)
        for (const Block& b : kLeftCornerBlocks)
            for (int y = b.y; y < b.y + b.h; ++y)
                for (int x = b.x; x < b.x + b.w; ++x) EXPECT_EQ(p.at(f * kLeft.frameWidth + x, y), skinpack::kMagenta);
}

// A test reads a pixel and looks it up: two places with one colour would make that ambiguous,
// and a colour near magenta would be cut out of a window region.
TEST(FlatSkinColours, ColoursAreUniqueAndFarFromMagenta) {
    std::set<uint32_t> seen;
    for (const Entry& e : kObjects)
        for (int i = 0; i < e.object->frames * zone::kCount; ++i) {
            EXPECT_TRUE(seen.insert(e.colours[i]).second) << e.object->member << " entry " << i;
            for (int shift : {0, 8, 16}) EXPECT_LT(e.colours[i] >> shift & 0xFF, 0xF0u);
        }
    for (uint32_t colour : {kColourButtonFace, kColourMenubar, kColourHilight, kColourTitleTextNoActive,
                            kButtonsNormalColour2, kStatusBarEdgesNormalColour2})
        EXPECT_TRUE(seen.insert(colour).second) << std::hex << colour;
}

}  // namespace

// The drawing arithmetic that needs no GDI: colour blending with both weight scales and system
// colours, the saturation measure, gradient tables and their 16-slot cache, and where a frame
// and its nine pieces lie.
#include <gtest/gtest.h>

#include <vector>

#include "colour_blend.h"
#include "gradient_table.h"
#include "nine_slice.h"

namespace skin {
namespace {

uint32_t FakeSystemColours(int index) { return index == 0x0F ? 0x00C8D0D4 : 0x00102030; }

class SystemColours : public testing::Test {
protected:
    void SetUp() override { previous_ = SetSystemColourResolver(FakeSystemColours); }
    void TearDown() override { SetSystemColourResolver(previous_); }

private:
    SystemColourResolver previous_ = nullptr;
};

TEST_F(SystemColours, BlendWeighsInPercentBelowHundredElseInThousandths) {
    const tk::TColor btnFace = tk::clBtnFace, btnShadow = tk::clBtnShadow;
    struct Case {
        tk::TColor a, b;
        int weight;
        tk::TColor expected;
    } cases[] = {
        {0x808080, 0xFFFFFF, 150, 0xECECEC},  // 15 % of the first
        {0x000000, 0xFFFFFF, 50, 0x808080},
        {0x0000FF, 0xFF0000, 0, 0xFF0000},
        {0x0000FF, 0xFF0000, 1000, 0x0000FF},
        {0x102030, 0x302010, 99, 0x102030},  // (c1 x 99 + c2 + 50) div 100 per channel
        {0x7F112233, 0x7F112233, 50, 0x112233},  // a plain colour's high byte is dropped
        {btnFace, 0x000000, 1000, 0xC8D0D4},  // system colours resolved, either side
        {0x000000, btnShadow, 0, 0x102030},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Blend(c.a, c.b, c.weight), c.expected) << std::hex << c.a << " " << c.b << " " << std::dec << c.weight;
}

TEST(SaturationValue, MeasuresOnlyColoursWithABrightChannel) {
    struct Case {
        tk::TColor colour;
        int expected;
    } cases[] = {
        {0x202020, 200}, {0x9F9F9F, 200},  // no channel reaches 160
        {0x0000FF, 255}, {0xA0A0A0, 0},    {0x5000A0, 255},
        {0xA9A9AA, 2},  // 1 x 255 / 170 = 1.5, halves round up
        {0xA7A7AA, 5},  // 4.5
        {0x5050A0, 128},  // 80 x 255 / 160 = 127.5
        {tk::clBtnFace, 200},  // the low bytes as they stand: not resolved
    };
    for (const Case& c : cases) EXPECT_EQ(SaturationValue(c.colour), c.expected) << std::hex << c.colour;
}

class GradientTest : public testing::Test {
protected:
    void SetUp() override { ClearGradientCache(); }
    void TearDown() override { ClearGradientCache(); }
};

TEST_F(GradientTest, EntriesStepEachChannelWithDivisionTowardZero) {
    EXPECT_EQ(GradientEntries(MakeGradient(1, 0x000000, 0x0000FF)), std::vector<tk::TColor>{0x00007F});
    EXPECT_EQ(GradientEntries(MakeGradient(1, 0x0000FF, 0x000000)), std::vector<tk::TColor>{0x000080});  // 255 - 127

    // d = 3: red rises by 10; blue falls by 10 and stops one step short of its end.
    EXPECT_EQ(GradientEntries(MakeGradient(4, 0x0A0000, 0x00000A)),
              (std::vector<tk::TColor>{0x0A0000, 0x070003, 0x040007, 0x01000A}));
    // d = 9 over the whole red range.
    std::vector<tk::TColor> red;
    for (int value : {0, 28, 57, 85, 113, 142, 170, 198, 227, 255}) red.push_back(value);
    EXPECT_EQ(GradientEntries(MakeGradient(10, 0x000000, 0x0000FF)), red);

    EXPECT_TRUE(GradientEntries(MakeGradient(0, 0, 0xFFFFFF)).empty());
}

TEST_F(GradientTest, RisingTableIsFoundAgainButAFallingOneIsRebuiltOnEachUse) {
    const int rising = Gradient(10, 0x000000, 0x0000FF);
    EXPECT_EQ(Gradient(10, 0x000000, 0x0000FF), rising);
    EXPECT_EQ(FindGradient(9, 0x000000, 0x0000FF), -1);
    EXPECT_EQ(FindGradient(10, 0x000000, 0x00FF00), -1);

    const int falling = Gradient(10, 0x0000FF, 0x000000);
    EXPECT_EQ(GradientEntries(falling).back(), 0x000001);
    const int again = Gradient(10, 0x0000FF, 0x000000);
    EXPECT_NE(again, falling);
    EXPECT_EQ(GradientEntries(again), GradientEntries(falling));
}

TEST_F(GradientTest, SlotsWrapAfterSixteenAndTheNewestDuplicateIsFoundFirst) {
    for (int i = 0; i < kGradientSlots; ++i) EXPECT_EQ(MakeGradient(i + 2, 0, 0x0000FF), i);
    EXPECT_EQ(MakeGradient(5, 0, 0x00FF00), 0);  // overwrites the 2-entry table
    EXPECT_EQ(FindGradient(2, 0, 0x0000FF), -1);
    EXPECT_EQ(FindGradient(3, 0, 0x0000FF), 1);

    EXPECT_EQ(MakeGradient(3, 0, 0x0000FF), 1);  // slot 1 again, then a copy in slot 2
    EXPECT_EQ(MakeGradient(3, 0, 0x0000FF), 2);
    EXPECT_EQ(FindGradient(3, 0, 0x0000FF), 2);
}

TEST(FrameOf, CutsSideBySideOrStackedAndCountsNonsenseAsOne) {
    struct Case {
        const char* name;
        int width, height;
        FrameLayout layout;
        int count, index;
        SliceRect expected;
    } cases[] = {
        {"side by side, frame 2", 30, 8, FrameLayout::SideBySide, 3, 2, {10, 0, 20, 8}},
        {"stacked, frame 2", 12, 20, FrameLayout::Stacked, 2, 2, {0, 10, 12, 20}},
        {"remainder dropped", 31, 8, FrameLayout::SideBySide, 3, 3, {20, 0, 30, 8}},
        {"count 0 is one frame", 30, 8, FrameLayout::SideBySide, 0, 1, {0, 0, 30, 8}},
        {"negative count", 30, 8, FrameLayout::Stacked, -2, 1, {0, 0, 30, 8}},
        {"index 0", 30, 8, FrameLayout::SideBySide, 3, 0, {0, 0, 10, 8}},
        {"index past the count", 30, 8, FrameLayout::SideBySide, 3, 4, {0, 0, 10, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SliceRect frame = FrameOf(c.width, c.height, c.layout, c.count, c.index);
        EXPECT_EQ(frame, c.expected) << frame.left << "," << frame.top << "," << frame.right << "," << frame.bottom;
    }
}

struct Piece {
    SliceKind kind;
    SliceRect dest, source;
};

void ExpectPieces(const std::vector<SlicePiece>& pieces, const std::vector<Piece>& expected) {
    ASSERT_EQ(pieces.size(), expected.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pieces[i].kind, expected[i].kind);
        EXPECT_EQ(pieces[i].dest, expected[i].dest);
        EXPECT_EQ(pieces[i].source, expected[i].source);
    }
}

constexpr SliceKind kCorner = SliceKind::Corner, kEdge = SliceKind::Edge, kCentre = SliceKind::Centre;

TEST(NineSlicePieces, CornersKeepTheirSizeInTheFixedOrder) {
    // Frame 2 of a side-by-side picture: x from 10 to 20, height 8; margins 2, 1, 3, 2.
    ExpectPieces(NineSlicePieces(30, 12, {2, 1, 3, 2}, {10, 0, 20, 8}),
                 {
                     {kCorner, {0, 0, 2, 1}, {10, 0, 12, 1}},       // top-left
                     {kCorner, {0, 10, 2, 12}, {10, 6, 12, 8}},     // bottom-left
                     {kCorner, {27, 0, 30, 1}, {17, 0, 20, 1}},     // top-right
                     {kEdge, {0, 1, 2, 10}, {10, 1, 12, 6}},        // left
                     {kEdge, {2, 0, 27, 1}, {12, 0, 17, 1}},        // top
                     {kCentre, {2, 1, 27, 10}, {12, 1, 17, 6}},
                     {kCorner, {27, 10, 30, 12}, {17, 6, 20, 8}},   // bottom-right, after the centre
                     {kEdge, {27, 1, 30, 10}, {17, 1, 20, 6}},      // right
                     {kEdge, {2, 10, 27, 12}, {12, 6, 17, 8}},      // bottom
                 });
}

TEST(NineSlicePieces, MarginsThatDoNotFitTheTargetAreDropped) {
    // Narrower than left + right: only the top edge, the centre and the bottom edge remain,
    // each the frame's full width.
    ExpectPieces(NineSlicePieces(4, 12, {2, 1, 3, 2}, {0, 0, 10, 8}),
                 {
                     {kEdge, {0, 0, 4, 1}, {0, 0, 10, 1}},
                     {kCentre, {0, 1, 4, 10}, {0, 1, 10, 6}},
                     {kEdge, {0, 10, 4, 12}, {0, 6, 10, 8}},
                 });
    // Lower than top + bottom.
    ExpectPieces(NineSlicePieces(30, 2, {2, 1, 3, 2}, {0, 0, 10, 8}),
                 {
                     {kEdge, {0, 0, 2, 2}, {0, 0, 2, 8}},
                     {kCentre, {2, 0, 27, 2}, {2, 0, 7, 8}},
                     {kEdge, {27, 0, 30, 2}, {7, 0, 10, 8}},
                 });
}

TEST(NineSlicePieces, EmptyPiecesAreLeftOutAndNegativeMarginsCountAsZero) {
    // Exactly left + right wide: no column between the margins in the target.
    ExpectPieces(NineSlicePieces(5, 3, {2, 1, 3, 1}, {0, 0, 10, 8}),
                 {
                     {kCorner, {0, 0, 2, 1}, {0, 0, 2, 1}},
                     {kCorner, {0, 2, 2, 3}, {0, 7, 2, 8}},
                     {kCorner, {2, 0, 5, 1}, {7, 0, 10, 1}},
                     {kEdge, {0, 1, 2, 2}, {0, 1, 2, 7}},
                     {kCorner, {2, 2, 5, 3}, {7, 7, 10, 8}},
                     {kEdge, {2, 1, 5, 2}, {7, 1, 10, 7}},
                 });
    // A frame no wider than its margins: nothing between them in the source.
    ExpectPieces(NineSlicePieces(10, 3, {2, 1, 3, 1}, {0, 0, 5, 8}),
                 {
                     {kCorner, {0, 0, 2, 1}, {0, 0, 2, 1}},
                     {kCorner, {0, 2, 2, 3}, {0, 7, 2, 8}},
                     {kCorner, {7, 0, 10, 1}, {2, 0, 5, 1}},
                     {kEdge, {0, 1, 2, 2}, {0, 1, 2, 7}},
                     {kCorner, {7, 2, 10, 3}, {2, 7, 5, 8}},
                     {kEdge, {7, 1, 10, 2}, {2, 1, 5, 7}},
                 });
    ExpectPieces(NineSlicePieces(4, 2, {-1, -5, 0, 0}, {0, 0, 4, 2}), {{kCentre, {0, 0, 4, 2}, {0, 0, 4, 2}}});
}

}  // namespace
}  // namespace skin

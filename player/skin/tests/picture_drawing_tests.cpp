// The picture drawers on memory DCs: nine-piece composition, transparent copies on both
// paths, whole frames, three-slice bars, gradient bands within the clip box and regions made
// from pictures. Every expected pixel comes from the fixture tables here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw_frame.h"
#include "draw_skin_bitmap.h"
#include "draw_slices.h"
#include "draw_transparent.h"
#include "gradient_fill.h"
#include "gradient_table.h"
#include "region_from_bitmap.h"

namespace skin {
namespace {

const COLORREF kSentinel = RGB(1, 2, 3);  // what the target holds before a drawer runs
const COLORREF kKey = RGB(255, 0, 255), kNearKey = RGB(0xFE, 0, 0xFF), kGreenishKey = RGB(0xFF, 1, 0xFF);
const COLORREF A = RGB(200, 30, 30), B = RGB(30, 200, 30), C = RGB(30, 30, 200);

COLORREF At(tk::TBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

void Put(tk::TBitmap& bitmap, int x, int y, COLORREF colour) {
    uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    p[0] = GetBValue(colour), p[1] = GetGValue(colour), p[2] = GetRValue(colour);
}

// A 24-bit picture from rows of colours, top row first.
void Paint(tk::TBitmap& bitmap, const std::vector<std::vector<COLORREF>>& rows) {
    bitmap.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) Put(bitmap, x, y, rows[y][x]);
}

void Target(tk::TBitmap& bitmap, int width, int height) {
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Put(bitmap, x, y, kSentinel);
}

void ExpectRow(tk::TBitmap& bitmap, int y, const std::vector<COLORREF>& row) {
    for (size_t x = 0; x < row.size(); ++x) EXPECT_EQ(At(bitmap, static_cast<int>(x), y), row[x]) << "pixel (" << x << ", " << y << ")";
}

// A picture whose frames are cut by the margins into zones of one colour each. In a patterned
// centre every pixel has its own colour instead, so tiling shows.
struct ZonedPicture {
    int l, m, r, t, n, b;  // the widths of the three columns, the heights of the three rows
    int frames = 2;
    FrameLayout layout = FrameLayout::SideBySide;
    bool patternedCentre = false;
};

COLORREF ZoneColour(int frame, int column, int row) {
    return RGB(20 + 60 * column, 20 + 60 * row, 40 * frame);
}
COLORREF CentreCell(int frame, int x, int y) { return RGB(200 + 10 * x, 200 + 10 * y, 40 * frame + 5); }

int ZoneOf(int at, int first, int second) { return at < first ? 0 : at < first + second ? 1 : 2; }

void Build(tk::TBitmap& bitmap, const ZonedPicture& z) {
    const int fw = z.l + z.m + z.r, fh = z.t + z.n + z.b;
    const bool stacked = z.layout == FrameLayout::Stacked;
    bitmap.SetSize(stacked ? fw : fw * z.frames, stacked ? fh * z.frames : fh);
    for (int f = 1; f <= z.frames; ++f) {
        for (int y = 0; y < fh; ++y) {
            for (int x = 0; x < fw; ++x) {
                const int column = ZoneOf(x, z.l, z.m), row = ZoneOf(y, z.t, z.n);
                const COLORREF colour = z.patternedCentre && column == 1 && row == 1 ? CentreCell(f, x - z.l, y - z.t)
                                                                                     : ZoneColour(f, column, row);
                Put(bitmap, stacked ? x : x + fw * (f - 1), stacked ? y + fh * (f - 1) : y, colour);
            }
        }
    }
}

// Target columns and rows named by the zone they show: '0', '1', '2', or for a patterned
// centre the letter of the centre's own column or row ('a' is its first).
COLORREF Expected(int frame, char column, char row) {
    const bool columnInCentre = column >= 'a', rowInCentre = row >= 'a';
    if (columnInCentre && rowInCentre) return CentreCell(frame, column - 'a', row - 'a');
    return ZoneColour(frame, columnInCentre ? 1 : column - '0', rowInCentre ? 1 : row - '0');
}

TEST(DrawSkinBitmap, ComposesTheZonesOfTheChosenFrame) {
    const ZonedPicture plain{4, 2, 4, 4, 2, 4};
    ZonedPicture stacked = plain;
    stacked.layout = FrameLayout::Stacked;
    ZonedPicture single = plain;
    single.frames = 1;
    const ZonedPicture patterned{2, 3, 2, 2, 2, 2, 1, FrameLayout::SideBySide, true};
    struct Case {
        const char* name;
        ZonedPicture picture;
        int frameCount, index;
        bool tile;
        std::string columns, rows;  // one character per target pixel
        int drawnFrame;
    } cases[] = {
        {"larger than the margins", plain, 2, 1, false, "00001111111111112222", "000011112222", 1},
        {"frame 2 side by side", plain, 2, 2, false, "0000112222", "000011112222", 2},
        {"frame 2 stacked", stacked, 2, 2, false, "0000111112222", "0000112222", 2},
        // Margins wider than the target: the frame's full width is halved into it, 2:1.
        {"narrower than left + right", plain, 2, 1, false, "00122", "000011112222", 1},
        {"lower than top + bottom", plain, 2, 1, false, "00001111112222", "00122", 1},
        {"exactly left + right wide", plain, 2, 1, false, "00002222", "0000112222", 1},
        {"frame count 0 counts as 1", single, 0, 1, false, "000011112222", "0000112222", 1},
        {"an index past the count draws frame 1", plain, 2, 3, false, "0000112222", "0000112222", 1},
        // The second tile overhangs the centre by two columns and one row; the right and
        // bottom edges, drawn after the centre, cover that.
        {"tiled centre that does not divide the target", patterned, 1, 1, true, "00abca22", "00aba22", 1},
        {"tiled centre, one tile", patterned, 1, 1, true, "00abc22", "00ab22", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tk::TBitmap image;
        Build(image, c.picture);
        SkinPicture picture;
        picture.image = &image;
        picture.layout = c.picture.layout;
        picture.frameCount = c.frameCount;
        picture.margins = {c.picture.l, c.picture.t, c.picture.r, c.picture.b};
        picture.tileCentre = c.tile;

        const int width = static_cast<int>(c.columns.size()), height = static_cast<int>(c.rows.size());
        tk::TBitmap target;
        Target(target, width + 6, height + 4);
        DrawSkinPicture(target.Canvas().Handle(), RECT{3, 2, 3 + width, 2 + height}, picture, c.index);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(At(target, 3 + x, 2 + y), Expected(c.drawnFrame, c.columns[x], c.rows[y]))
                    << "pixel (" << x << ", " << y << ")";
        for (int y = 0; y < target.Height(); ++y) {  // nothing outside the rectangle
            EXPECT_EQ(At(target, 2, y), kSentinel);
            EXPECT_EQ(At(target, 3 + width, y), kSentinel);
        }
        for (int x = 0; x < target.Width(); ++x) {
            EXPECT_EQ(At(target, x, 1), kSentinel);
            EXPECT_EQ(At(target, x, 2 + height), kSentinel);
        }
    }
}

TEST(DrawSkinBitmap, EmptyPicturesAndRectanglesDrawNothing) {
    tk::TBitmap empty, target;
    Target(target, 4, 4);
    SkinPicture picture;
    DrawSkinPicture(target.Canvas().Handle(), RECT{0, 0, 4, 4}, picture, 1);
    picture.image = &empty;
    DrawSkinPicture(target.Canvas().Handle(), RECT{0, 0, 4, 4}, picture, 1);
    tk::TBitmap image;
    Paint(image, {{A}});
    picture.image = &image;
    DrawSkinPicture(target.Canvas().Handle(), RECT{3, 3, 1, 4}, picture, 1);
    for (int y = 0; y < 4; ++y) ExpectRow(target, y, {kSentinel, kSentinel, kSentinel, kSentinel});
    EXPECT_TRUE(DrawSkinBitmap(0, 5, picture, 1)->Empty());
}

class TransparentPaths : public testing::TestWithParam<TransparentPath> {
protected:
    void SetUp() override { previous_ = SetTransparentPath(GetParam()); }
    void TearDown() override { SetTransparentPath(previous_); }

private:
    TransparentPath previous_ = TransparentPath::MaskBlt;
};

TEST_P(TransparentPaths, KeyPixelsKeepTheDestinationAndNearKeysAreCopied) {
    tk::TBitmap picture;
    Paint(picture, {{kKey, kNearKey, A, kKey}, {kGreenishKey, kKey, B, C}});
    const COLORREF S = kSentinel;
    struct Case {
        const char* name;
        RECT rect;
        std::vector<std::vector<COLORREF>> rows;  // target rows 0 to 3, columns 0 to 7
    } cases[] = {
        {"the picture's size", {2, 1, 6, 3},
         {{S, S, S, S, S, S, S, S}, {S, S, S, kNearKey, A, S, S, S}, {S, S, kGreenishKey, S, B, C, S, S}, {S, S, S, S, S, S, S, S}}},
        {"larger: no more than the picture", {2, 1, 8, 4},
         {{S, S, S, S, S, S, S, S}, {S, S, S, kNearKey, A, S, S, S}, {S, S, kGreenishKey, S, B, C, S, S}, {S, S, S, S, S, S, S, S}}},
        {"smaller: its top-left part", {2, 1, 5, 2},
         {{S, S, S, S, S, S, S, S}, {S, S, S, kNearKey, A, S, S, S}, {S, S, S, S, S, S, S, S}, {S, S, S, S, S, S, S, S}}},
        {"inverted", {5, 1, 2, 3},
         {{S, S, S, S, S, S, S, S}, {S, S, S, S, S, S, S, S}, {S, S, S, S, S, S, S, S}, {S, S, S, S, S, S, S, S}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tk::TBitmap target;
        Target(target, 8, 4);
        DrawTransparent(target.Canvas().Handle(), c.rect, picture, kKeyColour);
        for (int y = 0; y < 4; ++y) ExpectRow(target, y, c.rows[y]);
    }
}

TEST_P(TransparentPaths, TransparentPicturesComposeThenKeepTheDestinationUnderTheKey) {
    tk::TBitmap image;
    Paint(image, {{kKey, A}, {B, kKey}});
    SkinPicture picture;
    picture.image = &image;
    picture.transparent = true;
    tk::TBitmap target;
    Target(target, 4, 4);
    DrawSkinPicture(target.Canvas().Handle(), RECT{0, 0, 4, 4}, picture, 1);  // stretched twice
    ExpectRow(target, 0, {kSentinel, kSentinel, A, A});
    ExpectRow(target, 3, {B, B, kSentinel, kSentinel});
}

INSTANTIATE_TEST_SUITE_P(BothPaths, TransparentPaths, testing::Values(TransparentPath::MaskBlt, TransparentPath::InvertMask),
                         [](const auto& info) { return info.param == TransparentPath::MaskBlt ? "MaskBlt" : "InvertMask"; });

TEST(DrawFrame, StretchesOrCentresOneFrame) {
    tk::TBitmap picture;  // three 2 x 2 frames; the second has a key pixel at its top left
    Paint(picture, {{A, A, kKey, B, C, C}, {A, A, B, B, C, C}});
    const COLORREF S = kSentinel;

    tk::TBitmap target;
    Target(target, 6, 5);
    DrawFrame(target.Canvas().Handle(), RECT{1, 1, 5, 5}, picture, true, 3, 2);
    ExpectRow(target, 1, {S, S, S, B, B, S});
    ExpectRow(target, 2, {S, S, S, B, B, S});
    ExpectRow(target, 4, {S, B, B, B, B, S});
    DrawFrame(target.Canvas().Handle(), RECT{1, 1, 5, 5}, picture, false, 3, 2);
    ExpectRow(target, 1, {S, kKey, kKey, B, B, S});

    Target(target, 9, 6);
    DrawFrameCentered(target.Canvas().Handle(), RECT{1, 1, 8, 6}, picture, false, 3, 3);  // at 1 + 5 div 2, 1 + 3 div 2
    ExpectRow(target, 1, {S, S, S, S, S, S, S, S, S});
    ExpectRow(target, 2, {S, S, S, C, C, S, S, S, S});
    ExpectRow(target, 3, {S, S, S, C, C, S, S, S, S});
    ExpectRow(target, 4, {S, S, S, S, S, S, S, S, S});
    DrawFrameCentered(target.Canvas().Handle(), RECT{1, 1, 8, 6}, picture, true, 3, 2);  // its key pixel keeps C
    ExpectRow(target, 2, {S, S, S, C, B, S, S, S, S});
    ExpectRow(target, 3, {S, S, S, B, B, S, S, S, S});
}

TEST(DrawThreeSlice, RepeatsTheMiddleBetweenTheCaps) {
    const COLORREF P = RGB(90, 0, 0), Q1 = RGB(0, 90, 0), Q2 = RGB(0, 0, 90), R1 = RGB(90, 90, 0), R2 = RGB(0, 90, 90);
    const COLORREF S = kSentinel;
    tk::TBitmap strip;  // two stacked frames one row high: all A, then the caps and the middle
    Paint(strip, {{A, A, A, A, A}, {P, Q1, Q2, R1, R2}});
    tk::TBitmap noMiddle;
    Paint(noMiddle, {{kKey, R1, R2}});
    struct Case {
        const char* name;
        tk::TBitmap* image;
        int frameCount, index;
        bool transparent;
        int width;
        std::vector<COLORREF> row;
    } cases[] = {
        {"middle fits three times", &strip, 2, 2, false, 9, {P, Q1, Q2, Q1, Q2, Q1, Q2, R1, R2}},
        {"last middle overhangs under the right cap", &strip, 2, 2, false, 8, {P, Q1, Q2, Q1, Q2, Q1, R1, R2}},
        {"no middle: the gap keeps the canvas", &noMiddle, 1, 1, false, 6, {kKey, S, S, S, R1, R2}},
        {"no middle, transparent", &noMiddle, 1, 1, true, 6, {S, S, S, S, R1, R2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SkinPicture picture;
        picture.image = c.image;
        picture.layout = FrameLayout::Stacked;
        picture.frameCount = c.frameCount;
        picture.margins = {1, 0, 2, 0};
        picture.transparent = c.transparent;
        tk::TBitmap target;
        Target(target, c.width, 3);
        DrawThreeSlice(target.Canvas(), RECT{0, 0, c.width, 3}, picture, c.index);
        for (int y = 0; y < 3; ++y) ExpectRow(target, y, c.row);  // each part fills the full height
    }
}

TEST(DrawBar, StretchesTheMiddleOrTheWholeFrameWhenItIsWider) {
    const COLORREF P = RGB(90, 0, 0), Q = RGB(0, 90, 0), R = RGB(0, 0, 90);
    tk::TBitmap image;
    Paint(image, {{P, P, Q, Q, Q, Q, R, R}});
    SkinPicture picture;
    picture.image = &image;
    picture.margins = {2, 0, 2, 0};
    tk::TBitmap target;
    Target(target, 12, 2);
    DrawBar(target.Canvas().Handle(), RECT{0, 0, 12, 2}, picture, 1);
    ExpectRow(target, 1, {P, P, Q, Q, Q, Q, Q, Q, Q, Q, R, R});
    Target(target, 6, 1);
    DrawBar(target.Canvas().Handle(), RECT{1, 0, 5, 1}, picture, 1);  // 8 columns halved into 4
    ExpectRow(target, 0, {kSentinel, P, Q, Q, R, kSentinel});
}

TEST(GradientFill, PaintsOnlyTheBandsInsideTheClipBoxWithTheirFullPaintColours) {
    ClearGradientCache();
    // Black to red over ten steps: (4 + 255 i) div 9.
    const int reds[] = {0, 28, 57, 85, 113, 142, 170, 198, 227, 255};
    struct Case {
        const char* name;
        bool vertical;
        RECT clip;
        int first, last;  // the bands painted
    } cases[] = {
        {"whole", true, {0, 0, 10, 10}, 0, 9},
        {"lower half", true, {0, 5, 10, 10}, 5, 9},
        {"a band in the middle", true, {0, 3, 10, 7}, 3, 6},
        {"right half, horizontal", false, {5, 0, 10, 10}, 5, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tk::TBitmap target;
        Target(target, 10, 10);
        HDC dc = target.Canvas().Handle();
        IntersectClipRect(dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        GradientFill(dc, RECT{0, 0, 10, 10}, 0x000000, c.vertical, 0x0000FF);
        SelectClipRgn(dc, nullptr);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const int step = c.vertical ? y : x;
                const COLORREF expected = step >= c.first && step <= c.last ? RGB(reds[step], 0, 0) : kSentinel;
                EXPECT_EQ(At(target, x, y), expected) << "pixel (" << x << ", " << y << ")";
            }
        }
    }
}

std::vector<RECT> RectanglesOf(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<uint8_t> data(size);
    GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
    const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
    const auto* rects = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
    return std::vector<RECT>(rects, rects + header->nCount);
}

TEST(RegionFromBitmap, HoldsOneRectanglePerRunOfNonKeyPixels) {
    tk::TBitmap picture;  // no two rows alike, so the region merges no rectangles
    Paint(picture, {{kKey, kNearKey, A, kKey, B, kKey}, {A, B, kGreenishKey, kKey, kKey, C}, {kKey, kKey, kKey, kKey, kKey, kKey}});
    struct Case {
        const char* name;
        int tolerance;
        std::vector<RECT> rects;  // offset by (10, 20)
    } cases[] = {
        {"tolerance 1", 1, {{11, 20, 13, 21}, {14, 20, 15, 21}, {10, 21, 12, 22}, {15, 21, 16, 22}}},
        {"tolerance 0", 0, {{11, 20, 13, 21}, {14, 20, 15, 21}, {10, 21, 13, 22}, {15, 21, 16, 22}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HRGN region = RegionFromBitmap(picture, 10, 20, c.tolerance, c.tolerance, c.tolerance, kKeyColour);
        const std::vector<RECT> rects = RectanglesOf(region);
        ASSERT_EQ(rects.size(), c.rects.size());
        for (size_t i = 0; i < rects.size(); ++i) EXPECT_TRUE(EqualRect(&rects[i], &c.rects[i])) << "rectangle " << i;
        DeleteObject(region);
    }
    EXPECT_EQ(picture.PixelFormat(), tk::TPixelFormat::pf24bit);  // the caller's picture is left as it was
}

TEST(RegionFromBitmap, ManyRunsAreJoinedAcrossBatchesAndAllKeyGivesAnEmptyRegion) {
    tk::TBitmap checker;  // 32 runs a row, 2240 in all
    checker.SetSize(64, 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 64; ++x) Put(checker, x, y, (x + y) % 2 ? A : kKey);
    HRGN region = RegionFromBitmap(checker, 0, 0, 1, 1, 1, kKeyColour);
    int wrong = 0;
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 64; ++x) wrong += (PtInRegion(region, x, y) != FALSE) != ((x + y) % 2 == 1);
    EXPECT_EQ(wrong, 0);
    DeleteObject(region);

    tk::TBitmap key;
    Paint(key, {{kKey, kKey}});
    region = RegionFromBitmap(key, 0, 0, 1, 1, 1, kKeyColour);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);
}

}  // namespace
}  // namespace skin

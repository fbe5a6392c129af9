// Pixel routines on pictures of any depth: each ends with a 24-bit picture whose pixels are
// mapped as the table says, also when the input was 4 or 32 bits per pixel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bitmap_transforms.h"

namespace skin {
namespace {

using Rows = std::vector<std::vector<COLORREF>>;  // top row first

// Colours that the 4-bit default palette holds exactly, so a 4-bit copy loses nothing.
const COLORREF A = RGB(255, 0, 0), B = RGB(0, 255, 0), C = RGB(0, 0, 255);
const COLORREF D = RGB(255, 255, 0), E = RGB(255, 0, 255), F = RGB(0, 255, 255);

void Fill(tk::TBitmap& bitmap, const Rows& rows, tk::TPixelFormat format) {
    bitmap.SetPixelFormat(tk::TPixelFormat::pf24bit);
    bitmap.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* line = bitmap.ScanLine(y);
        for (size_t x = 0; x < rows[y].size(); ++x) {
            line[3 * x] = GetBValue(rows[y][x]);
            line[3 * x + 1] = GetGValue(rows[y][x]);
            line[3 * x + 2] = GetRValue(rows[y][x]);
        }
    }
    bitmap.SetPixelFormat(format);
}

void ExpectPixels24(tk::TBitmap& bitmap, const Rows& rows) {
    ASSERT_EQ(bitmap.PixelFormat(), tk::TPixelFormat::pf24bit);
    ASSERT_EQ(bitmap.Height(), static_cast<int>(rows.size()));
    ASSERT_EQ(bitmap.Width(), static_cast<int>(rows[0].size()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* line = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            EXPECT_EQ(RGB(line[3 * x + 2], line[3 * x + 1], line[3 * x]), rows[y][x]) << "pixel (" << x << ", " << y << ")";
    }
}

const char* FormatName(tk::TPixelFormat format) {
    switch (format) {
        case tk::TPixelFormat::pf4bit: return "4 bpp";
        case tk::TPixelFormat::pf32bit: return "32 bpp";
        default: return "24 bpp";
    }
}

TEST(BitmapTransforms, TurnAndMirrorAnAsymmetricPictureOfAnyDepth) {
    const Rows source = {{A, B, C}, {D, E, F}};
    struct Case {
        const char* name;
        std::function<void(tk::TBitmap&)> transform;
        Rows expected;
    } cases[] = {
        {"mirror", MirrorBitmap, {{C, B, A}, {F, E, D}}},
        {"flip", FlipBitmap, {{D, E, F}, {A, B, C}}},
        {"rotate left", RotateLeft, {{C, F}, {B, E}, {A, D}}},
        {"rotate right", RotateRight, {{D, A}, {E, B}, {F, C}}},
    };
    for (const Case& c : cases) {
        for (tk::TPixelFormat format : {tk::TPixelFormat::pf24bit, tk::TPixelFormat::pf4bit, tk::TPixelFormat::pf32bit}) {
            SCOPED_TRACE(std::string(c.name) + ", " + FormatName(format));
            tk::TBitmap bitmap;
            Fill(bitmap, source, format);
            c.transform(bitmap);
            ExpectPixels24(bitmap, c.expected);
        }
    }
}

TEST(BitmapTransforms, ReplaceKeyColourChangesExactMagentaOnly) {
    const COLORREF nearKey = RGB(0xFE, 0, 0xFF), greenish = RGB(0xFF, 1, 0xFF);
    for (tk::TPixelFormat format : {tk::TPixelFormat::pf24bit, tk::TPixelFormat::pf32bit}) {
        SCOPED_TRACE(FormatName(format));
        tk::TBitmap bitmap;
        Fill(bitmap, {{E, nearKey, greenish}, {A, E, F}}, format);
        ReplaceKeyColour(bitmap, RGB(10, 20, 30));
        ExpectPixels24(bitmap, {{RGB(10, 20, 30), nearKey, greenish}, {A, RGB(10, 20, 30), F}});
    }
    tk::TBitmap paletted;
    Fill(paletted, {{E, A}}, tk::TPixelFormat::pf4bit);
    ReplaceKeyColour(paletted, tk::clBtnFace);  // a system colour's low bytes as they stand: red 0x0F
    ExpectPixels24(paletted, {{RGB(0x0F, 0, 0), A}});
}

TEST(BitmapTransforms, GrayBitmapAveragesTheChannels) {
    tk::TBitmap bitmap;
    Fill(bitmap, {{RGB(30, 60, 91), A}}, tk::TPixelFormat::pf32bit);
    GrayBitmap(bitmap);
    ExpectPixels24(bitmap, {{RGB(60, 60, 60), RGB(85, 85, 85)}});
}

}  // namespace
}  // namespace skin

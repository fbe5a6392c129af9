// Bitmaps: the BMP loader's checks of untrusted files, good files of every depth and row
// order, conversion between pixel formats, copies, transparency, resources, and the DIB
// section shared by ScanLine, the canvas and GetDIBits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bitmap.h"
#include "exceptions.h"
#include "gui_test_environment.h"

namespace tk {
namespace {
using testing_support::TempFile;
using Rows = std::vector<std::vector<COLORREF>>;  // top row first

template <class T>
void Put(std::vector<uint8_t>& out, T value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

template <class T>
void Poke(std::vector<uint8_t>& bytes, size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A BMP file as a painting program writes one. `pixels` are palette indices for 1, 4 and
// 8 bpp and COLORREFs for 24 and 32 bpp, top row first.
struct BmpSpec {
    int bits = 24;
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<COLORREF> palette;  // stored in full; biClrUsed says how many entries there are
    bool topDown = false;
    uint32_t headerSize = 40;
};

std::vector<uint8_t> BuildBmp(const BmpSpec& spec) {
    const int width = static_cast<int>(spec.pixels[0].size()), height = static_cast<int>(spec.pixels.size());
    const size_t stride = (static_cast<size_t>(width) * spec.bits + 31) / 32 * 4;
    const uint32_t offBits = 14 + spec.headerSize + static_cast<uint32_t>(spec.palette.size()) * 4;
    std::vector<uint8_t> out;
    Put<uint16_t>(out, 0x4D42);
    Put<uint32_t>(out, offBits + static_cast<uint32_t>(stride * height));
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, offBits);
    Put<uint32_t>(out, spec.headerSize);
    Put<int32_t>(out, width);
    Put<int32_t>(out, spec.topDown ? -height : height);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, static_cast<uint16_t>(spec.bits));
    Put<uint32_t>(out, BI_RGB);
    Put<uint32_t>(out, static_cast<uint32_t>(stride * height));
    Put<int32_t>(out, 2835);
    Put<int32_t>(out, 2835);
    Put<uint32_t>(out, static_cast<uint32_t>(spec.palette.size()));
    Put<uint32_t>(out, 0);
    out.resize(14 + spec.headerSize, 0);
    for (COLORREF c : spec.palette) out.insert(out.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    for (int i = 0; i < height; ++i) {
        const auto& row = spec.pixels[spec.topDown ? i : height - 1 - i];
        std::vector<uint8_t> bytes(stride, 0);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = row[x];
            switch (spec.bits) {
                case 1: bytes[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8)); break;
                case 4: bytes[x / 2] |= static_cast<uint8_t>((v & 0xF) << (x % 2 ? 0 : 4)); break;
                case 8: bytes[x] = static_cast<uint8_t>(v); break;
                default: {
                    uint8_t* p = bytes.data() + x * (spec.bits / 8);
                    p[0] = GetBValue(v), p[1] = GetGValue(v), p[2] = GetRValue(v);
                }
            }
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

// Top: red, green, blue. Bottom: white, black, a mixed colour. Three pixels make the 24-bit
// rows 9 bytes long, so every row carries 3 bytes of padding.
const COLORREF kMixed = RGB(0x12, 0x34, 0x56);
const Rows kSample = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}, {RGB(255, 255, 255), RGB(0, 0, 0), kMixed}};

BmpSpec Sample24(bool topDown = false) {
    BmpSpec spec;
    for (const auto& row : kSample) spec.pixels.emplace_back(row.begin(), row.end());
    spec.topDown = topDown;
    return spec;
}

void Load(TBitmap& bitmap, const std::vector<uint8_t>& bytes) {
    TBoundedStream stream(bytes.data(), bytes.size());
    bitmap.LoadFromStream(stream);
}

COLORREF Pixel24(TBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

// What GDI reads from the DIB section, whatever its format.
void ExpectPixels(TBitmap& bitmap, const Rows& rows) {
    ASSERT_EQ(bitmap.Height(), static_cast<int>(rows.size()));
    ASSERT_EQ(bitmap.Width(), static_cast<int>(rows[0].size()));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            EXPECT_EQ(static_cast<COLORREF>(bitmap.Canvas().Pixel(x, y)), rows[y][x]) << "pixel (" << x << ", " << y << ")";
}

// Offsets of the fields that the rejection cases change.
constexpr size_t kOffBits = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kBitCount = 28, kCompression = 30,
                 kColoursUsed = 46;

struct Rejection {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const wchar_t* reason;  // part of the message, so each case fails for its own reason
};

TEST(BitmapLoader, RejectsDamagedFilesAndKeepsThePictureItHad) {
    const std::vector<Rejection> cases = {
        {"no file header", [](auto& b) { b.resize(13); }, L"file header"},
        {"empty stream", [](auto& b) { b.clear(); }, L"file header"},
        {"not a BMP", [](auto& b) { b[0] = 'X'; }, L"not a BMP"},
        {"core header", [](auto& b) { Poke<uint32_t>(b, kHeaderSize, 12); }, L"header size"},
        {"info header beyond the data", [](auto& b) { Poke<uint32_t>(b, kHeaderSize, 200); }, L"header size"},
        {"info header cut short", [](auto& b) { b.resize(30); }, L"header"},
        {"pixels start past the end", [](auto& b) { Poke<uint32_t>(b, kOffBits, static_cast<uint32_t>(b.size())); }, L"pixel offset"},
        {"pixels start inside the headers", [](auto& b) { Poke<uint32_t>(b, kOffBits, 20); }, L"pixel offset"},
        {"pixels start before the file", [](auto& b) { Poke<uint32_t>(b, kOffBits, 4); }, L"pixel offset"},
        {"zero width", [](auto& b) { Poke<int32_t>(b, kWidth, 0); }, L"width"},
        {"negative width", [](auto& b) { Poke<int32_t>(b, kWidth, -3); }, L"width"},
        {"zero height", [](auto& b) { Poke<int32_t>(b, kHeight, 0); }, L"height"},
        {"height above 16384", [](auto& b) { Poke<int32_t>(b, kHeight, 16385); }, L"height"},
        {"top-down height above 16384", [](auto& b) { Poke<int32_t>(b, kHeight, -16385); }, L"height"},
        {"most negative height", [](auto& b) { Poke<int32_t>(b, kHeight, INT32_MIN); }, L"height"},
        {"16 bpp", [](auto& b) { Poke<uint16_t>(b, kBitCount, 16); }, L"bit count"},
        {"0 bpp", [](auto& b) { Poke<uint16_t>(b, kBitCount, 0); }, L"bit count"},
        {"RLE8", [](auto& b) { Poke<uint16_t>(b, kBitCount, 8); Poke<uint32_t>(b, kCompression, BI_RLE8); }, L"compression"},
        {"RLE4", [](auto& b) { Poke<uint16_t>(b, kBitCount, 4); Poke<uint32_t>(b, kCompression, BI_RLE4); }, L"compression"},
        {"bit fields", [](auto& b) { Poke<uint32_t>(b, kCompression, BI_BITFIELDS); }, L"compression"},
        {"implied 256-entry palette past the end", [](auto& b) { Poke<uint16_t>(b, kBitCount, 8); }, L"palette outside"},
        {"more colours than the bit count allows", [](auto& b) { Poke<uint16_t>(b, kBitCount, 4); Poke<uint32_t>(b, kColoursUsed, 17); }, L"palette size"},
        {"one row more than stored", [](auto& b) { Poke<int32_t>(b, kHeight, 3); }, L"beyond"},
        {"last byte missing", [](auto& b) { b.pop_back(); }, L"beyond"},
        {"stride overflowing 32 bits", [](auto& b) { Poke<int32_t>(b, kWidth, INT32_MAX); }, L"beyond"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        Load(bitmap, BuildBmp(Sample24()));
        std::vector<uint8_t> bytes = BuildBmp(Sample24());
        c.damage(bytes);
        try {
            Load(bitmap, bytes);
            ADD_FAILURE() << "loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_NE(e.Message().find(c.reason), std::wstring::npos) << e.what();
        }
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(Pixel24(bitmap, 2, 1), kMixed);
    }
}

TEST(BitmapLoader, LoadsEveryDepthInEitherRowOrderKeepingTheDepth) {
    const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255), black = 0, olive = RGB(128, 128, 0);
    const COLORREF pink = RGB(250, 10, 200);
    struct Case {
        const char* name;
        int bits;
        TPixelFormat format;
        std::vector<COLORREF> palette;
        std::vector<std::vector<uint32_t>> pixels;
        Rows expected;
    } cases[] = {
        // Nine pixels wide, so the 1- and 4-bit rows cross a byte and end inside one.
        {"1 bpp", 1, TPixelFormat::pf1bit, {white, red},
         {{0, 1, 1, 0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 0, 0, 1, 0}},
         {{white, red, red, white, white, white, white, white, red}, {red, white, white, white, white, white, white, red, white}}},
        {"4 bpp, three entries", 4, TPixelFormat::pf4bit, {black, olive, pink},
         {{0, 1, 2, 1, 0, 2, 2, 1, 2}, {2, 2, 1, 0, 0, 0, 1, 1, 0}},
         {{black, olive, pink, olive, black, pink, pink, olive, pink}, {pink, pink, olive, black, black, black, olive, olive, black}}},
        {"8 bpp", 8, TPixelFormat::pf8bit, {red, pink},
         {{1, 0}, {0, 1}},
         {{pink, red}, {red, pink}}},
        {"32 bpp", 32, TPixelFormat::pf32bit, {},
         {{red, kMixed}, {pink, olive}},
         {{red, kMixed}, {pink, olive}}},
        {"24 bpp", 24, TPixelFormat::pf24bit, {},
         {{red, kMixed, white}, {pink, olive, black}},
         {{red, kMixed, white}, {pink, olive, black}}},
    };
    for (const Case& c : cases) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (topDown ? ", top-down" : ", bottom-up"));
            BmpSpec spec;
            spec.bits = c.bits;
            spec.palette = c.palette;
            spec.pixels = c.pixels;
            spec.topDown = topDown;
            TBitmap bitmap;
            Load(bitmap, BuildBmp(spec));
            EXPECT_EQ(bitmap.PixelFormat(), c.format);
            ExpectPixels(bitmap, c.expected);

            bitmap.SetPixelFormat(TPixelFormat::pf24bit);  // the form every pixel routine works on
            for (int y = 0; y < bitmap.Height(); ++y)
                for (int x = 0; x < bitmap.Width(); ++x)
                    EXPECT_EQ(Pixel24(bitmap, x, y), c.expected[y][x]) << "24-bit pixel (" << x << ", " << y << ")";
        }
    }
}

TEST(BitmapLoader, TakesALargerInfoHeaderAndPadsRowsToFourBytes) {
    BmpSpec spec = Sample24();
    spec.headerSize = 108;
    TBitmap bitmap;
    Load(bitmap, BuildBmp(spec));
    ExpectPixels(bitmap, kSample);
    EXPECT_EQ(bitmap.RowBytes(), 12);
    const uint8_t* bottom = bitmap.ScanLine(1);
    EXPECT_EQ(bottom[6], 0x56);  // blue first
    EXPECT_EQ(bottom[8], 0x12);
}

TEST(BitmapLoader, LoadsFilesAndReportsMissingOnes) {
    std::wstring path = TempFile(L"toolkit_bitmap_test.bmp");
    std::vector<uint8_t> bytes = BuildBmp(Sample24());
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    TBitmap bitmap;
    bitmap.LoadFromFile(path);
    ExpectPixels(bitmap, kSample);
    DeleteFileW(path.c_str());
    EXPECT_THROW(bitmap.LoadFromFile(path), EFOpenError);
}

TEST(BitmapLoader, LoadsBitmapResourcesWithoutAFileHeader) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(GetModuleHandleW(nullptr), L"TESTGLYPH");
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
    ExpectPixels(bitmap, {{RGB(255, 255, 255), RGB(255, 0, 0)}, {RGB(255, 0, 0), RGB(255, 255, 255)}});
    EXPECT_EQ(bitmap.TransparentColor(), static_cast<TColor>(RGB(255, 0, 0)));  // the bottom-left pixel
    EXPECT_THROW(bitmap.LoadFromResourceName(GetModuleHandleW(nullptr), L"NOSUCHGLYPH"), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 2);
}

TEST(Bitmap, StartsEmptyIn24BitAndScanLineRejectsRowsOutsideThePicture) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_THROW(bitmap.ScanLine(0), EInvalidGraphic);
    bitmap.SetSize(2, 3);
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_NO_THROW(bitmap.ScanLine(2));
    EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphic);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphic);
}

TEST(Bitmap, ResizingKeepsTheOverlapInEveryFormat) {
    const COLORREF W = RGB(255, 255, 255), B = RGB(0, 0, 0);
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit,
                                TPixelFormat::pf32bit}) {
        SCOPED_TRACE(static_cast<int>(format));
        BmpSpec spec;
        spec.pixels = {{W, B, W}, {B, W, W}};
        TBitmap bitmap;
        Load(bitmap, BuildBmp(spec));
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(2, 3);
        ExpectPixels(bitmap, {{W, B}, {B, W}, {B, B}});
        bitmap.SetWidth(4);
        ExpectPixels(bitmap, {{W, B, B, B}, {B, W, B, B}, {B, B, B, B}});
    }
}

TEST(Bitmap, ConversionsKeepColoursTheTargetCanHoldAndTakeTheNearestOtherwise) {
    const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255), black = 0;
    struct Case {
        TPixelFormat format;
        Rows source, expected;
    } cases[] = {
        {TPixelFormat::pf32bit, kSample, kSample},
        {TPixelFormat::pf8bit, {{red, white, RGB(0, 51, 102)}}, {{red, white, RGB(0, 51, 102)}}},  // on the colour cube
        {TPixelFormat::pf4bit, {{red, RGB(128, 128, 128), RGB(250, 5, 5)}}, {{red, RGB(128, 128, 128), red}}},
        {TPixelFormat::pf1bit, {{RGB(250, 250, 240), RGB(20, 40, 10)}}, {{white, black}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.format));
        BmpSpec spec;
        for (const auto& row : c.source) spec.pixels.emplace_back(row.begin(), row.end());
        TBitmap bitmap;
        Load(bitmap, BuildBmp(spec));
        bitmap.SetPixelFormat(c.format);
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        ExpectPixels(bitmap, c.expected);
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        ExpectPixels(bitmap, c.expected);
    }
    TBitmap bitmap;
    Load(bitmap, BuildBmp(Sample24()));
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(bitmap.RowBytes(), 12);
    EXPECT_EQ(bitmap.ScanLine(1)[8], 0x56);  // the third pixel starts at byte 8: B, G, R, unused
}

TEST(Bitmap, CanvasDrawingShowsUpInScanLineAndSurvivesAResize) {
    TBitmap bitmap;
    bitmap.SetSize(4, 3);
    HDC dc = bitmap.Canvas().Handle();
    bitmap.Canvas().Brush().SetColor(RGB(10, 20, 30));
    bitmap.Canvas().FillRect(RECT{1, 0, 3, 2});
    EXPECT_EQ(Pixel24(bitmap, 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(Pixel24(bitmap, 2, 1), RGB(10, 20, 30));
    EXPECT_EQ(Pixel24(bitmap, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(Pixel24(bitmap, 1, 2), RGB(0, 0, 0));
    bitmap.SetSize(5, 3);  // a DC taken before draws on the resized pixels
    HBRUSH brush = CreateSolidBrush(RGB(40, 50, 60));
    RECT corner{4, 2, 5, 3};
    FillRect(dc, &corner, brush);
    DeleteObject(brush);
    EXPECT_EQ(Pixel24(bitmap, 4, 2), RGB(40, 50, 60));
    EXPECT_EQ(Pixel24(bitmap, 1, 0), RGB(10, 20, 30));
}

TEST(Bitmap, HandleIsUsableByGetDIBitsAfterCanvasDrawing) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.Canvas().Brush().SetColor(RGB(200, 100, 50));
    bitmap.Canvas().FillRect(RECT{0, 0, 3, 2});
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    uint32_t pixels[6] = {};
    HBITMAP handle = bitmap.Handle();
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, handle);  // only possible when no other DC holds it
    EXPECT_NE(previous, nullptr);
    SelectObject(memory, previous);
    DeleteDC(memory);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, handle, 0, 2, pixels, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(pixels[5] & 0xFFFFFF, 0xC86432u);  // 0x00RRGGBB
    // The canvas selects the bitmap again, so drawing goes on after Handle().
    bitmap.Canvas().Brush().SetColor(RGB(1, 2, 3));
    bitmap.Canvas().FillRect(RECT{0, 0, 1, 1});
    EXPECT_EQ(Pixel24(bitmap, 0, 0), RGB(1, 2, 3));
}

TEST(Bitmap, TransparentColorIsTheBottomLeftPixelUnlessSet) {
    TBitmap bitmap;
    Load(bitmap, BuildBmp(Sample24()));
    EXPECT_FALSE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentMode(), TTransparentMode::tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clWhite);
    bitmap.SetTransparentColor(clOlive);
    EXPECT_EQ(bitmap.TransparentMode(), TTransparentMode::tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clOlive);
    bitmap.SetTransparentMode(TTransparentMode::tmAuto);
    bitmap.ScanLine(1)[0] = 0x40;  // blue byte of the bottom-left pixel
    EXPECT_EQ(bitmap.TransparentColor(), static_cast<TColor>(RGB(255, 255, 0x40)));
}

TEST(Bitmap, AssignCopiesPixelsFormatAndTransparency) {
    TBitmap source;
    Load(source, BuildBmp(Sample24()));
    source.SetPixelFormat(TPixelFormat::pf32bit);
    source.SetTransparent(true);
    source.SetTransparentColor(clOlive);
    TBitmap copy;
    copy.Canvas().Handle();  // a copy whose canvas DC exists already takes the new pixels too
    copy.Assign(&source);
    source.ScanLine(0)[0] = 0x77;  // the copy has its own pixels
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), clOlive);
    ExpectPixels(copy, kSample);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    TFont font;
    EXPECT_THROW(copy.Assign(&font), EConvertError);
}

}  // namespace
}  // namespace tk

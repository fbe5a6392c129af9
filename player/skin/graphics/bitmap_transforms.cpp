#include "bitmap_transforms.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace skin {
namespace {

constexpr int kBytesPerPixel = 3;

uint8_t* Pixel(tk::TBitmap& bitmap, int x, int y) { return bitmap.ScanLine(y) + kBytesPerPixel * x; }

template <class Change>
void ForEachPixel(tk::TBitmap& bitmap, Change change) {
    bitmap.SetPixelFormat(tk::TPixelFormat::pf24bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* line = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) change(line + kBytesPerPixel * x);
    }
}

// The pixels as a 32-bit bottom-up copy read back through GDI, one 0x00RRGGBB word per pixel.
std::vector<uint32_t> ReadAll(tk::TBitmap& bitmap) {
    const int width = bitmap.Width(), height = bitmap.Height();
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap.Handle(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

struct Place {
    int row, column;
};

// Turns the picture a quarter: the new pixel (row r, column c) comes from the old pixel that
// sourceOf(r, c) names as (row, column).
template <class SourceOf>
void Rotate(tk::TBitmap& bitmap, SourceOf sourceOf) {
    bitmap.SetPixelFormat(tk::TPixelFormat::pf24bit);
    const int width = bitmap.Width(), height = bitmap.Height();
    if (bitmap.Empty()) return;
    const std::vector<uint32_t> pixels = ReadAll(bitmap);
    bitmap.SetSize(height, width);
    for (int r = 0; r < width; ++r) {
        for (int c = 0; c < height; ++c) {
            const auto [row, column] = sourceOf(r, c, width, height);
            const uint32_t word = pixels[static_cast<size_t>(height - 1 - row) * width + column];  // bottom-up
            uint8_t* p = Pixel(bitmap, c, r);
            p[0] = static_cast<uint8_t>(word);
            p[1] = static_cast<uint8_t>(word >> 8);
            p[2] = static_cast<uint8_t>(word >> 16);
        }
    }
}

}  // namespace

void GrayBitmap(tk::TBitmap& bitmap) {
    ForEachPixel(bitmap, [](uint8_t* p) { p[0] = p[1] = p[2] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3); });
}

void ReplaceKeyColour(tk::TBitmap& bitmap, tk::TColor colour) {
    const auto value = static_cast<uint32_t>(colour);
    const uint8_t red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
    ForEachPixel(bitmap, [&](uint8_t* p) {
        if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF) p[0] = blue, p[1] = green, p[2] = red;
    });
}

void MirrorBitmap(tk::TBitmap& bitmap) {
    bitmap.SetPixelFormat(tk::TPixelFormat::pf24bit);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0, other = bitmap.Width() - 1; x < other; ++x, --other)
            std::swap_ranges(Pixel(bitmap, x, y), Pixel(bitmap, x, y) + kBytesPerPixel, Pixel(bitmap, other, y));
}

void FlipBitmap(tk::TBitmap& bitmap) {
    bitmap.SetPixelFormat(tk::TPixelFormat::pf24bit);
    const size_t rowBytes = static_cast<size_t>(kBytesPerPixel) * bitmap.Width();
    for (int y = 0, other = bitmap.Height() - 1; y < other; ++y, --other)
        std::swap_ranges(bitmap.ScanLine(y), bitmap.ScanLine(y) + rowBytes, bitmap.ScanLine(other));
}

void RotateLeft(tk::TBitmap& bitmap) {
    Rotate(bitmap, [](int r, int c, int width, int) { return Place{c, width - 1 - r}; });
}

void RotateRight(tk::TBitmap& bitmap) {
    Rotate(bitmap, [](int r, int c, int, int height) { return Place{height - 1 - c, r}; });
}

}  // namespace skin

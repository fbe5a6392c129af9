// Windows bitmap files as the skin tools write and check them. Pictures are held as rows of
// 0xRRGGBB values, top row first; files are written bottom-up, as the player's loader expects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skinpack {

constexpr uint32_t kMagenta = 0xFF00FF;  // the transparent key of pictures and window regions

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF));
}
constexpr int RedOf(uint32_t rgb) { return static_cast<int>(rgb >> 16 & 0xFF); }
constexpr int GreenOf(uint32_t rgb) { return static_cast<int>(rgb >> 8 & 0xFF); }
constexpr int BlueOf(uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, row by row from the top

    Picture() = default;
    Picture(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

// 24 bits per pixel, BI_RGB, bottom-up, rows padded to 4 bytes, 2835 pixels per metre.
std::string EncodeBmp24(const Picture& picture);
// 1 or 4 bits per pixel with a palette; indices holds one palette index per pixel, top row first.
std::string EncodeBmpIndexed(int width, int height, int bitsPerPixel, const std::vector<uint32_t>& palette,
                             const std::vector<uint8_t>& indices);

// What the headers of a bitmap file say, checked against the file's length.
struct BmpInfo {
    int width = 0;
    int height = 0;  // positive, whether the rows are stored bottom-up or top-down
    int bitsPerPixel = 0;
    uint32_t compression = 0;
    bool topDown = false;
};
// Empty, with the reason in why, when the bytes are no bitmap file a loader could read.
std::optional<BmpInfo> ReadBmpInfo(const std::string& bytes, std::string& why);
// The pixels of a 24-bit BI_RGB file; empty for any other.
std::optional<Picture> DecodeBmp24(const std::string& bytes);

}  // namespace skinpack

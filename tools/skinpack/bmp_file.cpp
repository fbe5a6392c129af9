#include "bmp_file.h"

namespace skinpack {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch
constexpr uint32_t kBiRgb = 0;
constexpr int kMaxSide = 16384;

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
uint32_t Get16(const std::string& in, size_t at) {
    return static_cast<uint8_t>(in[at]) | static_cast<uint32_t>(static_cast<uint8_t>(in[at + 1])) << 8;
}
uint32_t Get32(const std::string& in, size_t at) { return Get16(in, at) | Get16(in, at + 2) << 16; }

size_t Stride(int width, int bitsPerPixel) { return (static_cast<size_t>(width) * bitsPerPixel + 31) / 32 * 4; }

std::string Headers(int width, int height, int bitsPerPixel, size_t paletteEntries) {
    const size_t imageSize = Stride(width, bitsPerPixel) * static_cast<size_t>(height);
    const size_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
    std::string out = "BM";
    Put32(out, static_cast<uint32_t>(offset + imageSize));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(offset));
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bitsPerPixel));
    Put32(out, kBiRgb);
    Put32(out, static_cast<uint32_t>(imageSize));
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, static_cast<uint32_t>(paletteEntries));
    Put32(out, 0);
    return out;
}

}  // namespace

std::string EncodeBmp24(const Picture& picture) {
    std::string out = Headers(picture.width, picture.height, 24, 0);
    const size_t padding = Stride(picture.width, 24) - static_cast<size_t>(picture.width) * 3;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t rgb = picture.at(x, y);
            out += static_cast<char>(BlueOf(rgb));
            out += static_cast<char>(GreenOf(rgb));
            out += static_cast<char>(RedOf(rgb));
        }
        out.append(padding, '\0');
    }
    return out;
}

std::string EncodeBmpIndexed(int width, int height, int bitsPerPixel, const std::vector<uint32_t>& palette,
                             const std::vector<uint8_t>& indices) {
    std::string out = Headers(width, height, bitsPerPixel, palette.size());
    for (uint32_t rgb : palette) {
        out += static_cast<char>(BlueOf(rgb));
        out += static_cast<char>(GreenOf(rgb));
        out += static_cast<char>(RedOf(rgb));
        out += '\0';
    }
    const size_t stride = Stride(width, bitsPerPixel);
    const int perByte = 8 / bitsPerPixel;
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            int shift = 8 - bitsPerPixel * (x % perByte + 1);
            row[static_cast<size_t>(x / perByte)] |=
                static_cast<char>(indices[static_cast<size_t>(y) * width + x] << shift);
        }
        out += row;
    }
    return out;
}

std::optional<BmpInfo> ReadBmpInfo(const std::string& bytes, std::string& why) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes.compare(0, 2, "BM") != 0) {
        why = "not a bitmap file";
        return std::nullopt;
    }
    const uint32_t offset = Get32(bytes, 10);
    const uint32_t infoSize = Get32(bytes, 14);
    if (infoSize < kInfoHeaderSize || kFileHeaderSize + infoSize > bytes.size()) {
        why = "bitmap info header of " + std::to_string(infoSize) + " bytes";
        return std::nullopt;
    }
    BmpInfo info;
    const int32_t width = static_cast<int32_t>(Get32(bytes, 18));
    const int32_t height = static_cast<int32_t>(Get32(bytes, 22));
    info.bitsPerPixel = static_cast<int>(Get16(bytes, 28));
    info.compression = Get32(bytes, 30);
    info.topDown = height < 0;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
        why = "size " + std::to_string(width) + " x " + std::to_string(height);
        return std::nullopt;
    }
    info.width = width;
    info.height = height < 0 ? -height : height;
    const uint64_t end = uint64_t{offset} + Stride(info.width, info.bitsPerPixel) * static_cast<uint64_t>(info.height);
    if (offset < kFileHeaderSize + infoSize || end > bytes.size()) {
        why = "pixel data outside the file";
        return std::nullopt;
    }
    return info;
}

std::optional<Picture> DecodeBmp24(const std::string& bytes) {
    std::string why;
    std::optional<BmpInfo> info = ReadBmpInfo(bytes, why);
    if (!info || info->bitsPerPixel != 24 || info->compression != kBiRgb) return std::nullopt;
    Picture picture(info->width, info->height);
    const size_t stride = Stride(info->width, 24);
    const size_t offset = Get32(bytes, 10);
    for (int row = 0; row < info->height; ++row) {
        const int y = info->topDown ? row : info->height - 1 - row;
        const size_t at = offset + static_cast<size_t>(row) * stride;
        for (int x = 0; x < info->width; ++x) {
            const auto byte = [&](size_t k) {
                return static_cast<uint8_t>(bytes[at + 3 * static_cast<size_t>(x) + k]);
            };
            picture.at(x, y) = Rgb(byte(2), byte(1), byte(0));
        }
    }
    return picture;
}

}  // namespace skinpack

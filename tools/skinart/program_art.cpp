#include "program_art.h"

#include <algorithm>
#include <iterator>

#include "palette.h"

namespace skinart {
namespace {

using namespace palette;

// Glyph masks, one row a line so that they read as pictures.
// clang-format off
const Mask kMenuGlyphs[4] = {
    // restore: two overlapping windows
    {
        "...#######",
        "...#######",
        "...#.....#",
        "#######..#",
        "#######..#",
        "#.....#..#",
        "#.....####",
        "#.....#...",
        "#.....#...",
        "#######...",
    },
    // maximize: one window with a 2-pixel title bar
    {
        "##########",
        "##########",
        "#........#",
        "#........#",
        "#........#",
        "#........#",
        "#........#",
        "#........#",
        "#........#",
        "##########",
    },
    // minimize: a 6 x 2 bar, low
    {
        "......",
        "......",
        "......",
        "......",
        "......",
        "......",
        "......",
        "######",
        "######",
    },
    // close: a 2-pixel cross
    {
        "##......##",
        "###....###",
        ".###..###.",
        "..######..",
        "...####...",
        "...####...",
        "..######..",
        ".###..###.",
        "###....###",
        "##......##",
    },
};
// clang-format on

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

// The icon's own drawing, on magenta: a rounded screen in the caption blue with a white play
// mark, on a small grey stand.
Picture DrawIcon(int size) {
    Picture p(size, size, kMagenta);
    const bool big = size == 32;
    const Rect screen = big ? Rect{1, 3, 30, 22} : Rect{0, 1, 16, 11};
    VerticalGradient(p, screen.Inset(1), kActive.captionTop, kActive.captionBottom);
    Fill(p, {screen.x + 2, screen.y + 1, screen.w - 4, 1}, Mix(kActive.captionTop, kWhite, 110));
    RoundOutline(p, screen, big ? 4 : 2, kActive.outline);
    const Rect stand = big ? Rect{12, 25, 8, 2} : Rect{6, 12, 4, 1};
    const Rect base = big ? Rect{8, 27, 16, 3} : Rect{4, 13, 8, 2};
    Fill(p, stand, kDkShadow);
    Fill(p, base, kButtonShadow);
    Outline(p, base, kDkShadow);
    // The play mark: a triangle pointing right, three pixels wider every two rows to its middle.
    const int markHeight = big ? 13 : 7, half = markHeight / 2;
    const int markWidth = 1 + 3 * half / 2;
    const int markX = screen.x + (screen.w - markWidth) / 2 + 1, markY = screen.y + (screen.h - markHeight) / 2;
    for (int row = 0; row < markHeight; ++row)
        Fill(p, {markX, markY + row, 1 + 3 * std::min(row, markHeight - 1 - row) / 2, 1}, kWhite);
    return p;
}

}  // namespace

Picture GlazelMenuPicture() {
    Picture p(64, 16, kWhite);
    for (int i = 0; i < 4; ++i) GlyphCentred(p, {16 * i, 0, 16, 16}, kMenuGlyphs[i], Rgb(0, 0, 0));
    return p;
}

std::string GlazelMenuBmp() {
    const Picture p = GlazelMenuPicture();
    std::vector<uint8_t> indices;
    for (uint32_t rgb : p.pixels) indices.push_back(rgb == kWhite ? 1 : 0);
    return skinpack::EncodeBmpIndexed(p.width, p.height, 1, {Rgb(0, 0, 0), kWhite}, indices);
}

namespace {

// The channel from its outer edge in; the palette entries of the 4-bit resource in this order.
constexpr uint32_t kChannel[4] = {kButtonShadow, kDkShadow, kButtonFace, kWhite};

}  // namespace

Picture TrackPicture(bool vertical) {
    Picture p(vertical ? 4 : 16, vertical ? 16 : 4);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.at(x, y) = kChannel[vertical ? x : y];
    return p;
}

std::string TrackBmp(bool vertical) {
    std::vector<uint32_t> palette(std::begin(kChannel), std::end(kChannel));
    palette.resize(16, 0);
    std::vector<uint8_t> indices;
    const Picture p = TrackPicture(vertical);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) indices.push_back(static_cast<uint8_t>(vertical ? x : y));
    return skinpack::EncodeBmpIndexed(p.width, p.height, 4, palette, indices);
}

Picture IconPicture(int size) { return DrawIcon(size); }

std::string IconFile() {
    const int sizes[] = {16, 32};
    std::vector<std::string> images;
    for (int size : sizes) {
        const Picture p = DrawIcon(size);
        std::string image;
        PutLe(image, 40, 4);
        PutLe(image, static_cast<uint32_t>(size), 4);
        PutLe(image, static_cast<uint32_t>(2 * size), 4);  // colour rows, then the mask rows
        PutLe(image, 1, 2);
        PutLe(image, 32, 2);
        PutLe(image, 0, 4);
        const int maskStride = (size + 31) / 32 * 4;
        PutLe(image, static_cast<uint32_t>(size * size * 4 + maskStride * size), 4);
        image.append(16, '\0');  // resolution and palette counts: none
        for (int y = size - 1; y >= 0; --y)
            for (int x = 0; x < size; ++x) {
                const uint32_t rgb = p.at(x, y);
                const bool clear = rgb == kMagenta;
                PutLe(image, clear ? 0u : (0xFF000000u | rgb), 4);
            }
        for (int y = size - 1; y >= 0; --y) {
            std::string row(static_cast<size_t>(maskStride), '\0');
            for (int x = 0; x < size; ++x)
                if (p.at(x, y) == kMagenta) row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            image += row;
        }
        images.push_back(image);
    }
    std::string file;
    PutLe(file, 0, 2);
    PutLe(file, 1, 2);
    PutLe(file, static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        PutLe(file, static_cast<uint32_t>(sizes[i]), 1);
        PutLe(file, static_cast<uint32_t>(sizes[i]), 1);
        PutLe(file, 0, 2);
        PutLe(file, 1, 2);
        PutLe(file, 32, 2);
        PutLe(file, static_cast<uint32_t>(images[i].size()), 4);
        PutLe(file, offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) file += image;
    return file;
}

}  // namespace skinart

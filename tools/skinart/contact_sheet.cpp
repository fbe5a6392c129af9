#include "contact_sheet.h"

#include <algorithm>

namespace skinart {
namespace {

constexpr int kScale = 3;
constexpr int kGap = 10;
constexpr int kLabelWidth = 28;
constexpr uint32_t kBackground = Rgb(96, 100, 108);
constexpr uint32_t kFrameMark = Rgb(255, 150, 0);  // frame boundaries; no skin colour is this
constexpr uint32_t kTileEdge = Rgb(20, 20, 24);
constexpr uint32_t kLabel = Rgb(255, 255, 255);

// 3 x 5 digits for the tile numbers.
constexpr const char* kDigits[10][5] = {{"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"},
                                        {"###", "..#", "###", "#..", "###"}, {"###", "..#", "###", "..#", "###"},
                                        {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
                                        {"###", "#..", "###", "#.#", "###"}, {"###", "..#", ".#.", ".#.", ".#."},
                                        {"###", "#.#", "###", "#.#", "###"}, {"###", "#.#", "###", "..#", "###"}};

void Number(Picture& p, int x, int y, int n) {
    const std::string text = std::to_string(n);
    for (char c : text) {
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kDigits[c - '0'][row][col] == '#') Fill(p, {x + 2 * col, y + 2 * row, 2, 2}, kLabel);
        x += 8;
    }
}

}  // namespace

ContactSheet MakeContactSheet(const std::vector<SheetEntry>& entries) {
    int width = 0, height = kGap;
    for (const SheetEntry& e : entries) {
        width = std::max(width, kLabelWidth + e.picture.width * kScale + 2 + 2 * kGap);
        height += e.picture.height * kScale + 2 + kGap;
    }
    ContactSheet sheet{Picture(width, height, kBackground), ""};
    int y = kGap, n = 1;
    for (const SheetEntry& e : entries) {
        const int x = kGap + kLabelWidth;
        const Rect tile{x, y, e.picture.width * kScale + 2, e.picture.height * kScale + 2};
        Outline(sheet.picture, tile, kTileEdge);
        for (int py = 0; py < e.picture.height; ++py)
            for (int px = 0; px < e.picture.width; ++px)
                Fill(sheet.picture, {x + 1 + px * kScale, y + 1 + py * kScale, kScale, kScale}, e.picture.at(px, py));
        const int frames = std::max(1, e.frames);
        for (int f = 1; f < frames; ++f) {
            if (e.stacked)
                Fill(sheet.picture, {x - 4, y + 1 + f * e.picture.height / frames * kScale, tile.w + 8, 1}, kFrameMark);
            else
                Fill(sheet.picture, {x + 1 + f * e.picture.width / frames * kScale, y - 4, 1, tile.h + 8}, kFrameMark);
        }
        Number(sheet.picture, kGap, y + 1, n);
        sheet.index += std::to_string(n) + "  " + e.name + "  " + std::to_string(e.picture.width) + "x" +
                       std::to_string(e.picture.height) + "  " + std::to_string(frames) + " frame" +
                       (frames == 1 ? "" : "s") + (e.stacked ? " stacked" : "") + "  at y " + std::to_string(y) + "\n";
        y += tile.h + kGap;
        ++n;
    }
    sheet.index = "Contact sheet: every picture " + std::to_string(kScale) +
                  " times enlarged; orange lines mark frame boundaries, magenta is the transparent key.\n" +
                  sheet.index;
    return sheet;
}

}  // namespace skinart

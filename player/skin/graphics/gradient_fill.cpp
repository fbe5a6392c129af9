#include "gradient_fill.h"

#include "gradient_table.h"
#include "graphics.h"

namespace skin {

void GradientFill(HDC dc, const RECT& rect, tk::TColor colour1, bool vertical, tk::TColor colour2) {
    if (!RectVisible(dc, &rect)) return;
    const auto from = static_cast<tk::TColor>(tk::ColorToRGB(colour1));
    const auto to = static_cast<tk::TColor>(tk::ColorToRGB(colour2));
    const int start = vertical ? rect.top : rect.left;
    const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    if (length <= 0) return;
    RECT clip = {};
    GetClipBox(dc, &clip);
    const int clipStart = vertical ? clip.top : clip.left, clipEnd = vertical ? clip.bottom : clip.right;
    const int first = clipStart > start ? clipStart - start : 0;
    const int last = clipEnd < start + length ? clipEnd - start - 1 : length - 1;
    const std::vector<tk::TColor>& table = GradientEntries(Gradient(length, from, to));
    for (int step = first; step <= last; ++step) {
        RECT band = vertical ? RECT{rect.left, start + step, rect.right, start + step + 1}
                             : RECT{start + step, rect.top, start + step + 1, rect.bottom};
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(table[static_cast<size_t>(step)]));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

}  // namespace skin

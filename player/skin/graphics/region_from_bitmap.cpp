#include "region_from_bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace skin {
namespace {

// Rectangles are handed to ExtCreateRegion in batches, which keeps each call's buffer small.
constexpr size_t kRectanglesPerBatch = 2000;

struct ChannelRange {
    int low, high;
    bool Holds(int value) const { return value >= low && value <= high; }
};

ChannelRange RangeOf(int keyChannel, int tolerance) { return {keyChannel, std::min(keyChannel + tolerance, 255)}; }

// Gathers run rectangles and ORs each full batch into the result.
class RegionBuilder {
public:
    void Add(const RECT& rect) {
        rects_.push_back(rect);
        if (rects_.size() == kRectanglesPerBatch) Flush();
    }

    HRGN Finish() {
        Flush();
        return result_ != nullptr ? result_ : CreateRectRgn(0, 0, 0, 0);
    }

private:
    void Flush() {
        if (rects_.empty()) return;
        std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + rects_.size() * sizeof(RECT));
        RGNDATAHEADER header = {};
        header.dwSize = sizeof header;
        header.iType = RDH_RECTANGLES;
        header.nCount = static_cast<DWORD>(rects_.size());
        header.rcBound = RECT{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
        for (const RECT& r : rects_) {
            header.rcBound.left = std::min(header.rcBound.left, r.left);
            header.rcBound.top = std::min(header.rcBound.top, r.top);
            header.rcBound.right = std::max(header.rcBound.right, r.right);
            header.rcBound.bottom = std::max(header.rcBound.bottom, r.bottom);
        }
        std::memcpy(data.data(), &header, sizeof header);
        std::memcpy(data.data() + sizeof header, rects_.data(), rects_.size() * sizeof(RECT));
        HRGN batch = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
        rects_.clear();
        if (batch == nullptr) return;
        if (result_ == nullptr) {
            result_ = batch;
        } else {
            CombineRgn(result_, result_, batch, RGN_OR);
            DeleteObject(batch);
        }
    }

    std::vector<RECT> rects_;
    HRGN result_ = nullptr;
};

}  // namespace

HRGN RegionFromBitmap(tk::TBitmap& picture, int x, int y, int blueTolerance, int greenTolerance, int redTolerance,
                      tk::TColor key) {
    RegionBuilder region;
    if (picture.Empty()) return region.Finish();
    // Read through a 32-bit copy: the caller's picture keeps its format.
    tk::TBitmap pixels;
    pixels.Assign(&picture);
    pixels.SetPixelFormat(tk::TPixelFormat::pf32bit);
    const COLORREF keyColour = tk::ColorToRGB(key);
    const ChannelRange red = RangeOf(GetRValue(keyColour), redTolerance);
    const ChannelRange green = RangeOf(GetGValue(keyColour), greenTolerance);
    const ChannelRange blue = RangeOf(GetBValue(keyColour), blueTolerance);
    auto isKey = [&](const uint8_t* p) { return blue.Holds(p[0]) && green.Holds(p[1]) && red.Holds(p[2]); };

    for (int row = 0; row < pixels.Height(); ++row) {
        const uint8_t* line = pixels.ScanLine(row);
        int column = 0;
        while (column < pixels.Width()) {
            while (column < pixels.Width() && isKey(line + 4 * column)) ++column;
            const int runStart = column;
            while (column < pixels.Width() && !isKey(line + 4 * column)) ++column;
            if (column > runStart) region.Add(RECT{runStart + x, row + y, column + x, row + y + 1});
        }
    }
    return region.Finish();
}

}  // namespace skin

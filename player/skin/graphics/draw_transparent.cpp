#include "draw_transparent.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "application.h"

namespace skin {
namespace {

std::optional<TransparentPath>& ChosenPath() {
    static std::optional<TransparentPath> path;
    return path;
}

// The keep-destination ternary operation, for the mask's set pixels.
constexpr DWORD kKeepDestination = 0x00AA0029;

// A monochrome bitmap whose bits are set where the picture holds key: a colour-to-mono blit
// sets exactly the pixels of the source DC's background colour. MaskBlt wants the bitmap
// itself, the blit path a DC holding it.
class KeyMask {
public:
    KeyMask(HDC picture, int width, int height, COLORREF key)
        : dc_(CreateCompatibleDC(picture)), bitmap_(CreateBitmap(width, height, 1, 1, nullptr)) {
        old_ = SelectObject(dc_, bitmap_);
        COLORREF background = SetBkColor(picture, key);
        BitBlt(dc_, 0, 0, width, height, picture, 0, 0, SRCCOPY);
        SetBkColor(picture, background);
    }
    ~KeyMask() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    KeyMask(const KeyMask&) = delete;
    KeyMask& operator=(const KeyMask&) = delete;
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() {
        SelectObject(dc_, old_);
        return bitmap_;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

TransparentPath SetTransparentPath(TransparentPath path) {
    TransparentPath old = CurrentTransparentPath();
    ChosenPath() = path;
    return old;
}

TransparentPath CurrentTransparentPath() {
    if (!ChosenPath())
        ChosenPath() = tk::TApplication::Win32Platform() == VER_PLATFORM_WIN32_NT ? TransparentPath::MaskBlt
                                                                                : TransparentPath::InvertMask;
    return *ChosenPath();
}

void DrawTransparent(HDC dc, const RECT& rect, tk::TBitmap& picture, tk::TColor key) {
    if (rect.right < rect.left || rect.bottom < rect.top || picture.Empty()) return;
    const int width = std::min<int>(rect.right - rect.left, picture.Width());
    const int height = std::min<int>(rect.bottom - rect.top, picture.Height());
    if (width == 0 || height == 0) return;
    HDC source = picture.Canvas().Handle();
    KeyMask mask(source, width, height, tk::ColorToRGB(key));
    if (CurrentTransparentPath() == TransparentPath::MaskBlt) {
        MaskBlt(dc, rect.left, rect.top, width, height, source, 0, 0, mask.Bitmap(), 0, 0,
                MAKEROP4(kKeepDestination, SRCCOPY));
        return;
    }
    // Mono to colour turns set bits into the background colour and clear ones into the text
    // colour: white keeps the destination where the key was, black clears it for the picture.
    COLORREF background = SetBkColor(dc, RGB(255, 255, 255));
    COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, rect.left, rect.top, width, height, source, 0, 0, SRCINVERT);
    BitBlt(dc, rect.left, rect.top, width, height, mask.Dc(), 0, 0, SRCAND);
    BitBlt(dc, rect.left, rect.top, width, height, source, 0, 0, SRCINVERT);
    SetBkColor(dc, background);
    SetTextColor(dc, text);
}

}  // namespace skin

// A picture held in a DIB section: its pixels are reachable both through GDI (Canvas, Handle)
// and directly (ScanLine). Pictures from skin packages are untrusted, so the BMP loader checks
// every size and offset before it copies a byte and raises EInvalidGraphic otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "graphics.h"
#include "streams.h"

namespace tk {

class TDibSection;  // the pixels and their colour table, defined in bitmap.cpp

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

// tmAuto: the transparent colour is the bottom-left pixel; tmFixed: the colour last set.
enum class TTransparentMode { tmAuto, tmFixed };

// A new bitmap is empty (0 x 0, no handle) and pf24bit. Rows are stored top row first.
// Pixels that resizing adds are zero bytes: black, or palette entry 0 in the paletted formats
// (black in the default palettes).
class TBitmap : public TPersistent {
    TK_CLASS(TBitmap)
public:
    TBitmap();
    ~TBitmap() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);  // keeps the overlapping top-left content
    bool Empty() const { return width_ == 0 || height_ == 0; }

    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);  // converts the pixels; to a palette by nearest colour

    // Row y (0 = top): BGR triples for pf24bit, BGRX for pf32bit, palette indices otherwise.
    // Flushes pending GDI drawing first. EInvalidGraphic when y is out of range.
    uint8_t* ScanLine(int y);
    int RowBytes() const;  // bytes from one scan line to the next

    // Draws on the pixels through a memory DC made on first use. Every use of the canvas's
    // Handle() selects the bitmap into that DC again, also after Handle() below took it out.
    TCanvas& Canvas() { return canvas_; }
    // The DIB section (nullptr while empty), taken out of the canvas DC so that it can be
    // given to GetDIBits, which refuses a selected bitmap. The bitmap keeps owning it.
    HBITMAP Handle();

    // Accepts another TBitmap (a deep copy of pixels, format and transparency) or nullptr
    // (empty); anything else is EConvertError.
    void Assign(TPersistent* source) override;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
    TColor TransparentColor();  // tmAuto: the bottom-left pixel, clBlack while empty
    void SetTransparentColor(TColor color);  // also switches to tmFixed

    // A BMP file (file header, BITMAPINFOHEADER or larger, BI_RGB, 1/4/8/24/32 bpp, either row
    // order) from the current position to the end of the stream. The pixel format becomes the
    // file's. On EInvalidGraphic the bitmap is left as it was.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::wstring& path);  // EFOpenError when it cannot be read
    // An RT_BITMAP resource: the resource compiler stores the file without its file header.
    void LoadFromResourceName(HINSTANCE instance, const wchar_t* name);

private:
    class TBitmapCanvas : public TCanvas {
    public:
        explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) {}
        HDC Handle() override { return owner_.SelectedDC(); }

    private:
        TBitmap& owner_;
    };

    void Adopt(std::unique_ptr<TDibSection> dib);
    HDC SelectedDC();
    void Deselect();

    std::unique_ptr<TDibSection> dib_;
    int width_ = 0, height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    TBitmapCanvas canvas_{*this};
    HDC dc_ = nullptr;
    HGDIOBJ dcDefaultBitmap_ = nullptr;  // what the DC held before the DIB was selected
    bool selected_ = false;
    bool transparent_ = false;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
    TColor transparentColor_ = clBlack;
};

}  // namespace tk

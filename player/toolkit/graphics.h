// The graphics objects (font, pen, brush) and a canvas over any device context: its own (a
// bitmap's), or one lent by a parent, a menu or the skin engine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "colors.h"
#include "component.h"

namespace tk {

class TBitmap;

// System-colour constants (high byte 0xFF) resolve through GetSysColor.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font described by a LOGFONT, so that one made from a system font (the caption or menu
// font) keeps every attribute of it. The handle is made on first use and after each change.
class TFont : public TPersistent {
    TK_CLASS(TFont)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* source) override;

    std::wstring Name() const { return log_.lfFaceName; }
    void SetName(const std::wstring& name);
    int Height() const { return log_.lfHeight; }
    void SetHeight(int height);
    unsigned Style() const;  // TFontStyle bits
    void SetStyle(unsigned style);
    BYTE Charset() const { return log_.lfCharSet; }
    void SetCharset(BYTE charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }

    const LOGFONTW& LogFont() const { return log_; }
    void SetLogFont(const LOGFONTW& font);
    HFONT Handle();
    // Takes the description of an existing font; the font does not own that handle.
    void SetHandle(HFONT font);

private:
    void Changed();
    LOGFONTW log_;
    TColor color_ = clWindowText;
    HFONT handle_ = nullptr;
};

enum class TPenStyle { psSolid, psClear };
enum class TBrushStyle { bsSolid, bsClear };

// A pen or brush is a description; its handle is made when a canvas first draws with it and
// again after a change. psClear and bsClear are the stock null objects.
class TPen : public TPersistent {
    TK_CLASS(TPen)
public:
    ~TPen() override;
    void Assign(TPersistent* source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    HPEN Handle();

private:
    void Changed();
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    HPEN handle_ = nullptr;
};

class TBrush : public TPersistent {
    TK_CLASS(TBrush)
public:
    ~TBrush() override;
    void Assign(TPersistent* source) override;
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    HBRUSH Handle();

private:
    void Changed();
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    HBRUSH handle_ = nullptr;
};

// Drawing operations on a device context. Each operation selects the pen, brush or font it
// uses for the length of the call only, so a DC lent by someone else is left as it was found.
// Text is drawn with a transparent background in the font's colour.
class TCanvas : public TPersistent {
    TK_CLASS(TCanvas)
public:
    // The DC to draw on. A bitmap's canvas reselects its bitmap here (see TBitmap::Handle).
    virtual HDC Handle() { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }

    // Brackets a paint through a canvas whose DC the painter bound itself (a control's canvas
    // given a DC for one paint). The layer never releases a canvas's DC, so the count only
    // tells whether such a paint is in progress.
    void Lock() { ++lockCount_; }
    void Unlock() { if (lockCount_ > 0) --lockCount_; }
    bool Locked() const { return lockCount_ > 0; }

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width);
    void Polygon(const POINT* points, int count);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // StretchBlt with the DC's current stretch mode: callers choose COLORONCOLOR or HALFTONE.
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
    // The bitmap at its size, or stretched to rect; a Transparent bitmap leaves the pixels of
    // its TransparentColor unpainted.
    void Draw(int x, int y, TBitmap& bitmap);
    void StretchDraw(const RECT& rect, TBitmap& bitmap);

    void TextOut(int x, int y, const std::wstring& text);
    void DrawText(const std::wstring& text, RECT& rect, UINT format);
    SIZE TextExtent(const std::wstring& text);

private:
    HDC dc_ = nullptr;
    int lockCount_ = 0;
    TFont font_;
    TPen pen_;
    TBrush brush_;
};

}  // namespace tk

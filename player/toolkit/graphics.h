// The small part of the graphics layer that the controls need now: colours, fonts and a canvas
// over any device context (its own or one lent by a parent or by the skin engine).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "component.h"

namespace tk {

using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clOlive = 0x008080;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010);
constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);

// System-colour constants (high byte 0xFF) resolve through GetSysColor.
COLORREF ColorToRGB(TColor color);

class TFont : public TPersistent {
    TK_CLASS(TFont)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* source) override;

    std::wstring Name() const { return name_; }
    void SetName(const std::wstring& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    bool Bold() const { return bold_; }
    void SetBold(bool bold);
    HFONT Handle();  // created on first use, recreated after a change

private:
    void Changed();
    std::wstring name_ = L"MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    bool bold_ = false;
    HFONT handle_ = nullptr;
};

class TCanvas : public TPersistent {
    TK_CLASS(TCanvas)
public:
    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }
    TFont& Font() { return font_; }
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor color) { brushColor_ = color; }
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor color) { penColor_ = color; }

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width);
    void Polygon(const POINT* points, int count);
    void TextOut(int x, int y, const std::wstring& text);
    void DrawText(const std::wstring& text, RECT& rect, UINT format);
    SIZE TextExtent(const std::wstring& text);

private:
    HDC dc_ = nullptr;
    TFont font_;
    TColor brushColor_ = clWhite;
    TColor penColor_ = clBlack;
};

}  // namespace tk

#include "graphics.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TFont, TPersistent, {
    PublishString<Self>(c, L"Name", &Self::Name, &Self::SetName);
    PublishInteger<Self>(c, L"Height", &Self::Height, &Self::SetHeight);
    PublishInteger<Self>(c, L"Color", &Self::Color, &Self::SetColor);
})
TK_CLASS_INFO(TCanvas, TPersistent)

COLORREF ColorToRGB(TColor color) {
    uint32_t value = static_cast<uint32_t>(color);
    if ((value & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(value & 0xFF));
    return value & 0x00FFFFFFu;
}

TFont::TFont() = default;

TFont::~TFont() {
    if (handle_ != nullptr) DeleteObject(handle_);
}

void TFont::Assign(TPersistent* source) {
    auto* other = DynamicCast<TFont>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    name_ = other->name_;
    height_ = other->height_;
    color_ = other->color_;
    bold_ = other->bold_;
    Changed();
}

void TFont::SetName(const std::wstring& name) {
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    height_ = height;
    Changed();
}

void TFont::SetBold(bool bold) {
    bold_ = bold;
    Changed();
}

void TFont::Changed() {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = nullptr;
}

HFONT TFont::Handle() {
    if (handle_ == nullptr) {
        LOGFONTW font = {};
        font.lfHeight = height_;
        font.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;  // lets the font mapper pick a CJK face for Chinese text
        font.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(font.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_ = CreateFontIndirectW(&font);
    }
    return handle_;
}

void TCanvas::FillRect(const RECT& rect) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(brushColor_));
    ::FillRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::FrameRect(const RECT& rect) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(brushColor_));
    ::FrameRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        HPEN light = CreatePen(PS_SOLID, 1, ColorToRGB(topLeft));
        HPEN dark = CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight));
        HGDIOBJ old = SelectObject(dc_, light);
        MoveToEx(dc_, rect.left, rect.bottom - 1, nullptr);
        LineTo(dc_, rect.left, rect.top);
        LineTo(dc_, rect.right - 1, rect.top);
        SelectObject(dc_, dark);
        LineTo(dc_, rect.right - 1, rect.bottom - 1);
        LineTo(dc_, rect.left - 1, rect.bottom - 1);
        SelectObject(dc_, old);
        DeleteObject(light);
        DeleteObject(dark);
        InflateRect(&rect, -1, -1);
    }
}

void TCanvas::Polygon(const POINT* points, int count) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(brushColor_));
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(penColor_));
    HGDIOBJ oldBrush = SelectObject(dc_, brush);
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    ::Polygon(dc_, points, count);
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    SetBkMode(dc_, TRANSPARENT);
    TextOutW(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc_, old);
}

void TCanvas::DrawText(const std::wstring& text, RECT& rect, UINT format) {
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    SetBkMode(dc_, TRANSPARENT);
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SelectObject(dc_, old);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
    SIZE size = {};
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc_, old);
    return size;
}

}  // namespace tk

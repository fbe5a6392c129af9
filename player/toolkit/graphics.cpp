#include "graphics.h"

#include "bitmap.h"
#include "exceptions.h"
#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TFont, TPersistent, {
    PublishString<Self>(c, L"Name", &Self::Name, &Self::SetName);
    PublishInteger<Self>(c, L"Height", &Self::Height, &Self::SetHeight);
    PublishInteger<Self>(c, L"Color", &Self::Color, &Self::SetColor);
})
TK_CLASS_INFO(TPen, TPersistent)
TK_CLASS_INFO(TBrush, TPersistent)
TK_CLASS_INFO(TCanvas, TPersistent)

namespace {
// Selects a GDI object for the length of one drawing call.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

void DeleteHandle(auto& handle) {
    if (handle != nullptr) DeleteObject(handle);
    handle = nullptr;
}
}  // namespace

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
    return static_cast<uint32_t>(color) & 0x00FFFFFFu;
}

TFont::TFont() : log_{} {
    log_.lfHeight = -11;
    log_.lfWeight = FW_NORMAL;
    log_.lfCharSet = DEFAULT_CHARSET;  // lets the font mapper pick a CJK face for Chinese text
    log_.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(log_.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
}

TFont::~TFont() { DeleteHandle(handle_); }

void TFont::Assign(TPersistent* source) {
    auto* other = DynamicCast<TFont>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    log_ = other->log_;
    color_ = other->color_;
    Changed();
}

void TFont::SetName(const std::wstring& name) {
    lstrcpynW(log_.lfFaceName, name.c_str(), LF_FACESIZE);
    Changed();
}

void TFont::SetHeight(int height) {
    log_.lfHeight = height;
    Changed();
}

unsigned TFont::Style() const {
    return (log_.lfWeight >= FW_BOLD ? fsBold : 0u) | (log_.lfItalic ? fsItalic : 0u) |
           (log_.lfUnderline ? fsUnderline : 0u) | (log_.lfStrikeOut ? fsStrikeOut : 0u);
}

void TFont::SetStyle(unsigned style) {
    log_.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
    log_.lfItalic = (style & fsItalic) ? TRUE : FALSE;
    log_.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
    log_.lfStrikeOut = (style & fsStrikeOut) ? TRUE : FALSE;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    log_.lfCharSet = charset;
    Changed();
}

void TFont::SetLogFont(const LOGFONTW& font) {
    log_ = font;
    Changed();
}

void TFont::SetHandle(HFONT font) {
    LOGFONTW described = {};
    if (font == nullptr || GetObjectW(font, sizeof described, &described) == 0)
        throw EInvalidGraphic(L"Not a font handle");
    SetLogFont(described);
}

void TFont::Changed() { DeleteHandle(handle_); }

HFONT TFont::Handle() {
    if (handle_ == nullptr) handle_ = CreateFontIndirectW(&log_);
    return handle_;
}

TPen::~TPen() { DeleteHandle(handle_); }

void TPen::Assign(TPersistent* source) {
    auto* other = DynamicCast<TPen>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    Changed();
}

void TPen::SetColor(TColor color) {
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width) {
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    style_ = style;
    Changed();
}

void TPen::Changed() { DeleteHandle(handle_); }

HPEN TPen::Handle() {
    if (style_ == TPenStyle::psClear) return static_cast<HPEN>(GetStockObject(NULL_PEN));
    if (handle_ == nullptr) handle_ = CreatePen(PS_SOLID, width_, ColorToRGB(color_));
    return handle_;
}

TBrush::~TBrush() { DeleteHandle(handle_); }

void TBrush::Assign(TPersistent* source) {
    auto* other = DynamicCast<TBrush>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    color_ = other->color_;
    style_ = other->style_;
    Changed();
}

void TBrush::SetColor(TColor color) {
    color_ = color;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    style_ = style;
    Changed();
}

void TBrush::Changed() { DeleteHandle(handle_); }

HBRUSH TBrush::Handle() {
    if (style_ == TBrushStyle::bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (handle_ == nullptr) handle_ = CreateSolidBrush(ColorToRGB(color_));
    return handle_;
}

void TCanvas::FillRect(const RECT& rect) { ::FillRect(Handle(), &rect, brush_.Handle()); }

void TCanvas::FrameRect(const RECT& rect) { ::FrameRect(Handle(), &rect, brush_.Handle()); }

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    HDC dc = Handle();
    Selected pen(dc, pen_.Handle()), brush(dc, brush_.Handle());
    ::Rectangle(dc, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    HDC dc = Handle();
    Selected pen(dc, pen_.Handle()), brush(dc, brush_.Handle());
    ::RoundRect(dc, left, top, right, bottom, cornerWidth, cornerHeight);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    HDC dc = Handle();
    Selected pen(dc, pen_.Handle());
    ::LineTo(dc, x, y);
}

void TCanvas::Frame3D(RECT& rect, TColor topLeft, TColor bottomRight, int width) {
    HDC dc = Handle();
    for (int i = 0; i < width; ++i) {
        HPEN light = CreatePen(PS_SOLID, 1, ColorToRGB(topLeft));
        HPEN dark = CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight));
        HGDIOBJ old = SelectObject(dc, light);
        MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
        ::LineTo(dc, rect.left, rect.top);
        ::LineTo(dc, rect.right - 1, rect.top);
        SelectObject(dc, dark);
        ::LineTo(dc, rect.right - 1, rect.bottom - 1);
        ::LineTo(dc, rect.left - 1, rect.bottom - 1);
        SelectObject(dc, old);
        DeleteObject(light);
        DeleteObject(dark);
        InflateRect(&rect, -1, -1);
    }
}

void TCanvas::Polygon(const POINT* points, int count) {
    HDC dc = Handle();
    Selected pen(dc, pen_.Handle()), brush(dc, brush_.Handle());
    ::Polygon(dc, points, count);
}

TColor TCanvas::Pixel(int x, int y) { return static_cast<TColor>(GetPixel(Handle(), x, y)); }

void TCanvas::SetPixel(int x, int y, TColor color) { ::SetPixel(Handle(), x, y, ColorToRGB(color)); }

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    StretchBlt(Handle(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.Handle(),
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top,
               SRCCOPY);
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
    StretchDraw(RECT{x, y, x + bitmap.Width(), y + bitmap.Height()}, bitmap);
}

void TCanvas::StretchDraw(const RECT& rect, TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    HDC dc = Handle();
    HDC source = bitmap.Canvas().Handle();
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (bitmap.Transparent()) {
        TransparentBlt(dc, rect.left, rect.top, width, height, source, 0, 0, bitmap.Width(), bitmap.Height(),
                       ColorToRGB(bitmap.TransparentColor()));
    } else {
        StretchBlt(dc, rect.left, rect.top, width, height, source, 0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY);
    }
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    HDC dc = Handle();
    Selected font(dc, font_.Handle());
    SetTextColor(dc, ColorToRGB(font_.Color()));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::DrawText(const std::wstring& text, RECT& rect, UINT format) {
    HDC dc = Handle();
    Selected font(dc, font_.Handle());
    SetTextColor(dc, ColorToRGB(font_.Color()));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
    SIZE size = {};
    HDC dc = Handle();
    Selected font(dc, font_.Handle());
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace tk

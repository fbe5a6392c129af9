#include "bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "exceptions.h"

namespace tk {

TK_CLASS_INFO(TBitmap, TPersistent)

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kMaxHeight = 16384;

int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit: return 1;
        case TPixelFormat::pf4bit: return 4;
        case TPixelFormat::pf8bit: return 8;
        case TPixelFormat::pf24bit: return 24;
        case TPixelFormat::pf32bit: return 32;
    }
    return 24;
}

bool IsPaletted(TPixelFormat format) { return BitsPerPixel(format) <= 8; }

bool FormatOfBits(int bits, TPixelFormat& format) {
    for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                           TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        if (BitsPerPixel(f) == bits) {
            format = f;
            return true;
        }
    }
    return false;
}

uint64_t StrideOf(uint64_t width, int bits) { return (width * static_cast<uint64_t>(bits) + 31) / 32 * 4; }

size_t PaletteEntries(TPixelFormat format) { return IsPaletted(format) ? size_t{1} << BitsPerPixel(format) : 0; }

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

// Black and white; the 16 VGA colours; a 6x6x6 colour cube followed by a grey ramp.
std::vector<RGBQUAD> DefaultPalette(TPixelFormat format) {
    std::vector<RGBQUAD> palette;
    if (format == TPixelFormat::pf1bit) {
        palette = {Quad(0, 0, 0), Quad(255, 255, 255)};
    } else if (format == TPixelFormat::pf4bit) {
        palette = {Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
                   Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
                   Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
                   Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
    } else if (format == TPixelFormat::pf8bit) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) palette.push_back(Quad(BYTE(r * 51), BYTE(g * 51), BYTE(b * 51)));
        for (int i = 0; palette.size() < 256; ++i) palette.push_back(Quad(BYTE(i * 255 / 39), BYTE(i * 255 / 39), BYTE(i * 255 / 39)));
    }
    return palette;
}

template <class T>
T ReadLE(const uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);  // the target is little-endian x86
    return value;
}

[[noreturn]] void Invalid(const wchar_t* why) { throw EInvalidGraphic(std::wstring(L"Invalid bitmap: ") + why); }
}  // namespace

// A top-down DIB section and the colour table it was made with (always the full 2^bpp entries,
// so any index in the pixels names an entry).
class TDibSection {
public:
    HBITMAP handle = nullptr;
    uint8_t* bits = nullptr;
    int width = 0, height = 0;
    TPixelFormat format = TPixelFormat::pf24bit;
    std::vector<RGBQUAD> palette;

    TDibSection(int w, int h, TPixelFormat f, std::vector<RGBQUAD> colours) : width(w), height(h), format(f), palette(std::move(colours)) {
        palette.resize(PaletteEntries(format), RGBQUAD{0, 0, 0, 0});
        std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + palette.size() * sizeof(RGBQUAD));
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = width;
        header->biHeight = -height;  // top-down: scan line y is row y from the top
        header->biPlanes = 1;
        header->biBitCount = static_cast<WORD>(BitsPerPixel(format));
        header->biCompression = BI_RGB;
        if (!palette.empty()) std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), palette.data(), palette.size() * sizeof(RGBQUAD));
        void* memory = nullptr;
        handle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &memory, nullptr, 0);
        if (handle == nullptr || memory == nullptr) throw EOutOfResources(L"Out of system resources creating a bitmap");
        bits = static_cast<uint8_t*>(memory);
        std::memset(bits, 0, Stride() * static_cast<size_t>(height));
    }
    ~TDibSection() { DeleteObject(handle); }
    TDibSection(const TDibSection&) = delete;
    TDibSection& operator=(const TDibSection&) = delete;

    size_t Stride() const { return static_cast<size_t>(StrideOf(static_cast<uint64_t>(width), BitsPerPixel(format))); }
    uint8_t* Row(int y) const { return bits + Stride() * static_cast<size_t>(y); }

    unsigned Index(int x, int y) const {
        const uint8_t* row = Row(y);
        switch (format) {
            case TPixelFormat::pf1bit: return (row[x / 8] >> (7 - x % 8)) & 1u;
            case TPixelFormat::pf4bit: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xFu;
            default: return row[x];
        }
    }

    void SetIndex(int x, int y, unsigned index) {
        uint8_t* row = Row(y);
        if (format == TPixelFormat::pf1bit) {
            uint8_t mask = static_cast<uint8_t>(0x80u >> (x % 8));
            row[x / 8] = static_cast<uint8_t>(index ? row[x / 8] | mask : row[x / 8] & ~mask);
        } else if (format == TPixelFormat::pf4bit) {
            int shift = x % 2 ? 0 : 4;
            row[x / 2] = static_cast<uint8_t>((row[x / 2] & ~(0xF << shift)) | ((index & 0xF) << shift));
        } else {
            row[x] = static_cast<uint8_t>(index);
        }
    }

    COLORREF Color(int x, int y) const {
        if (IsPaletted(format)) {
            const RGBQUAD& q = palette[Index(x, y)];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        const uint8_t* p = Row(y) + static_cast<size_t>(x) * (BitsPerPixel(format) / 8);
        return RGB(p[2], p[1], p[0]);
    }

    void SetColor(int x, int y, COLORREF color) {
        if (IsPaletted(format)) return SetIndex(x, y, NearestEntry(color));
        uint8_t* p = Row(y) + static_cast<size_t>(x) * (BitsPerPixel(format) / 8);
        p[0] = GetBValue(color);
        p[1] = GetGValue(color);
        p[2] = GetRValue(color);
    }

    unsigned NearestEntry(COLORREF color) const {
        unsigned best = 0;
        int bestDistance = INT32_MAX;
        for (unsigned i = 0; i < palette.size(); ++i) {
            int dr = palette[i].rgbRed - GetRValue(color), dg = palette[i].rgbGreen - GetGValue(color),
                db = palette[i].rgbBlue - GetBValue(color);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) best = i, bestDistance = distance;
        }
        return best;
    }
};

namespace {
using DibPtr = std::unique_ptr<TDibSection>;
constexpr size_t kPixelsAfterPalette = SIZE_MAX;

// Decodes a packed DIB: `data` starts at the info header and holds `size` bytes; the pixels
// start `pixelsOffset` bytes in, or right after the palette for kPixelsAfterPalette.
// Every read below is preceded by the check that keeps it inside the data.
DibPtr DecodeDib(const uint8_t* data, size_t size, size_t pixelsOffset) {
    if (size < kInfoHeaderSize) Invalid(L"truncated header");
    uint32_t headerSize = ReadLE<uint32_t>(data);
    if (headerSize < kInfoHeaderSize || headerSize > size) Invalid(L"unsupported header size");
    int64_t width = ReadLE<int32_t>(data + 4);
    int64_t height = ReadLE<int32_t>(data + 8);
    int bits = ReadLE<uint16_t>(data + 14);
    uint32_t compression = ReadLE<uint32_t>(data + 16);
    uint32_t coloursUsed = ReadLE<uint32_t>(data + 32);
    if (width <= 0) Invalid(L"width");
    if (height == 0 || std::abs(height) > kMaxHeight) Invalid(L"height");
    TPixelFormat format;
    if (!FormatOfBits(bits, format)) Invalid(L"bit count");
    if (compression != BI_RGB) Invalid(L"compression");

    uint64_t entries = 0;
    if (IsPaletted(format)) {
        if (coloursUsed > PaletteEntries(format)) Invalid(L"palette size");
        entries = coloursUsed != 0 ? coloursUsed : PaletteEntries(format);
    }
    uint64_t paletteEnd = headerSize + entries * sizeof(RGBQUAD);
    if (paletteEnd > size) Invalid(L"palette outside the data");
    if (pixelsOffset == kPixelsAfterPalette) pixelsOffset = static_cast<size_t>(paletteEnd);
    if (pixelsOffset < headerSize || pixelsOffset >= size) Invalid(L"pixel offset outside the data");
    uint64_t stride = StrideOf(static_cast<uint64_t>(width), bits);
    uint64_t rows = static_cast<uint64_t>(std::abs(height));
    if (stride * rows > size - pixelsOffset) Invalid(L"pixels beyond the data");

    const auto* quads = data + headerSize;
    std::vector<RGBQUAD> palette(static_cast<size_t>(entries));
    if (entries != 0) std::memcpy(palette.data(), quads, palette.size() * sizeof(RGBQUAD));
    auto dib = std::make_unique<TDibSection>(static_cast<int>(width), static_cast<int>(rows), format, std::move(palette));
    bool bottomUp = height > 0;
    for (uint64_t row = 0; row < rows; ++row) {
        const uint8_t* source = data + pixelsOffset + stride * row;
        int y = static_cast<int>(bottomUp ? rows - 1 - row : row);
        std::memcpy(dib->Row(y), source, static_cast<size_t>(stride));
    }
    return dib;
}

DibPtr DecodeFile(const std::vector<uint8_t>& file) {
    if (file.size() < kFileHeaderSize) Invalid(L"truncated file header");
    if (file[0] != 'B' || file[1] != 'M') Invalid(L"not a BMP file");
    uint32_t pixelsOffset = ReadLE<uint32_t>(file.data() + 10);
    if (pixelsOffset < kFileHeaderSize) Invalid(L"pixel offset outside the data");
    return DecodeDib(file.data() + kFileHeaderSize, file.size() - kFileHeaderSize, pixelsOffset - kFileHeaderSize);
}

DibPtr CopyOverlap(const TDibSection& from, int width, int height) {
    auto to = std::make_unique<TDibSection>(width, height, from.format, from.palette);
    int columns = std::min(width, from.width), rows = std::min(height, from.height);
    bool wholeBytes = BitsPerPixel(from.format) >= 8;
    for (int y = 0; y < rows; ++y) {
        if (wholeBytes) {
            std::memcpy(to->Row(y), from.Row(y), static_cast<size_t>(columns) * (BitsPerPixel(from.format) / 8));
        } else {
            for (int x = 0; x < columns; ++x) to->SetIndex(x, y, from.Index(x, y));
        }
    }
    return to;
}
}  // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    Deselect();
    dib_.reset();
    if (dc_ != nullptr) DeleteDC(dc_);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    if (width == 0 || height == 0) {
        Adopt(nullptr);
    } else if (dib_ == nullptr) {
        Adopt(std::make_unique<TDibSection>(width, height, format_, DefaultPalette(format_)));
    } else {
        GdiFlush();
        Adopt(CopyOverlap(*dib_, width, height));
    }
    width_ = width;
    height_ = height;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    format_ = format;
    if (dib_ == nullptr) return;
    GdiFlush();
    auto converted = std::make_unique<TDibSection>(width_, height_, format, DefaultPalette(format));
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) converted->SetColor(x, y, dib_->Color(x, y));
    Adopt(std::move(converted));
}

uint8_t* TBitmap::ScanLine(int y) {
    if (dib_ == nullptr || y < 0 || y >= height_) throw EInvalidGraphic(L"Scan line index out of range");
    GdiFlush();  // drawing on the canvas may still be queued
    return dib_->Row(y);
}

int TBitmap::RowBytes() const { return static_cast<int>(StrideOf(static_cast<uint64_t>(width_), BitsPerPixel(format_))); }

HBITMAP TBitmap::Handle() {
    Deselect();
    return dib_ != nullptr ? dib_->handle : nullptr;
}

void TBitmap::Assign(TPersistent* source) {
    if (source == this) return;
    if (source == nullptr) return SetSize(0, 0);
    auto* other = DynamicCast<TBitmap>(source);
    if (other == nullptr) return TPersistent::Assign(source);
    if (other->dib_ != nullptr) {
        GdiFlush();
        const TDibSection& from = *other->dib_;
        auto copy = std::make_unique<TDibSection>(from.width, from.height, from.format, from.palette);
        std::memcpy(copy->bits, from.bits, from.Stride() * static_cast<size_t>(from.height));
        Adopt(std::move(copy));
    } else {
        Adopt(nullptr);
    }
    width_ = other->width_;
    height_ = other->height_;
    format_ = other->format_;
    transparent_ = other->transparent_;
    transparentMode_ = other->transparentMode_;
    transparentColor_ = other->transparentColor_;
}

TColor TBitmap::TransparentColor() {
    if (transparentMode_ == TTransparentMode::tmFixed) return transparentColor_;
    if (dib_ == nullptr) return clBlack;
    GdiFlush();
    return static_cast<TColor>(dib_->Color(0, height_ - 1));
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = TTransparentMode::tmFixed;
}

void TBitmap::LoadFromStream(TStream& stream) {
    int64_t left = stream.Size() - stream.Position();
    if (left < 0 || left >= INT32_MAX) Invalid(L"stream size");
    std::vector<uint8_t> bytes(static_cast<size_t>(left));
    stream.ReadBuffer(bytes.data(), bytes.size());
    Adopt(DecodeFile(bytes));
}

void TBitmap::LoadFromFile(const std::wstring& path) {
    TMemoryStream file;
    file.LoadFromFile(path);
    LoadFromStream(file);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const wchar_t* name) {
    HRSRC info = FindResourceW(instance, name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    HGLOBAL loaded = info != nullptr ? LoadResource(instance, info) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) throw EInvalidGraphic(L"No bitmap resource");
    Adopt(DecodeDib(static_cast<const uint8_t*>(data), SizeofResource(instance, info), kPixelsAfterPalette));
}

// Replaces the pixels; a DC that had the old DIB selected gets the new one, so a handle taken
// from the canvas before keeps drawing on the bitmap.
void TBitmap::Adopt(std::unique_ptr<TDibSection> dib) {
    bool wasSelected = selected_;
    Deselect();
    dib_ = std::move(dib);
    if (dib_ != nullptr) {
        width_ = dib_->width;
        height_ = dib_->height;
        format_ = dib_->format;
    } else {
        width_ = height_ = 0;
    }
    if (wasSelected) SelectedDC();
}

HDC TBitmap::SelectedDC() {
    if (dc_ == nullptr) {
        dc_ = CreateCompatibleDC(nullptr);
        if (dc_ == nullptr) throw EOutOfResources(L"Out of system resources creating a canvas");
    }
    if (!selected_ && dib_ != nullptr) {
        dcDefaultBitmap_ = SelectObject(dc_, dib_->handle);
        selected_ = true;
    }
    return dc_;
}

void TBitmap::Deselect() {
    if (!selected_) return;
    GdiFlush();
    SelectObject(dc_, dcDefaultBitmap_);
    selected_ = false;
}

}  // namespace tk

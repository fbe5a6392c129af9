// Fonts made from system fonts, the screen's menu font, the canvas's pen, brush and bitmap
// drawing, and image lists cut from a monochrome bitmap resource.
#include <gtest/gtest.h>

#include <string>

#include "bitmap.h"
#include "exceptions.h"
#include "image_list.h"
#include "screen.h"

namespace tk {
namespace {

LOGFONTW LogFontOf(HFONT font) {
    LOGFONTW described = {};
    GetObjectW(font, sizeof described, &described);
    return described;
}

TEST(Font, TakesEveryAttributeOfALogFontOrAnExistingHandle) {
    LOGFONTW caption = {};
    caption.lfHeight = -13;
    caption.lfWeight = FW_BOLD;
    caption.lfItalic = TRUE;
    caption.lfCharSet = GB2312_CHARSET;
    caption.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynW(caption.lfFaceName, L"Tahoma", LF_FACESIZE);

    TFont font;
    font.SetLogFont(caption);
    EXPECT_EQ(font.Name(), L"Tahoma");
    EXPECT_EQ(font.Height(), -13);
    EXPECT_EQ(font.Style(), fsBold | fsItalic);
    EXPECT_EQ(font.Charset(), GB2312_CHARSET);
    LOGFONTW made = LogFontOf(font.Handle());
    EXPECT_EQ(made.lfHeight, -13);
    EXPECT_EQ(made.lfWeight, FW_BOLD);
    EXPECT_EQ(made.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_EQ(std::wstring(made.lfFaceName), L"Tahoma");

    HFONT system = CreateFontIndirectW(&caption);
    TFont copy;
    copy.SetHandle(system);
    DeleteObject(system);  // the font keeps only the description
    EXPECT_EQ(copy.Style(), fsBold | fsItalic);
    copy.SetStyle(fsUnderline);
    EXPECT_EQ(LogFontOf(copy.Handle()).lfWeight, FW_NORMAL);
    EXPECT_TRUE(LogFontOf(copy.Handle()).lfUnderline);
    EXPECT_EQ(std::wstring(LogFontOf(copy.Handle()).lfFaceName), L"Tahoma");
    EXPECT_THROW(copy.SetHandle(nullptr), EInvalidGraphic);
}

TEST(Font, ScreenMenuFontIsTheSystemMenuFont) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    TFont& menu = Screen->MenuFont();
    EXPECT_EQ(menu.Name(), std::wstring(metrics.lfMenuFont.lfFaceName));
    EXPECT_EQ(menu.Height(), metrics.lfMenuFont.lfHeight);
    EXPECT_EQ(&Screen->MenuFont(), &menu);
}

class CanvasTest : public testing::Test {
protected:
    void SetUp() override {
        target.SetSize(8, 8);
        canvas().Brush().SetColor(kBackground);
        canvas().FillRect(RECT{0, 0, 8, 8});
    }
    TCanvas& canvas() { return target.Canvas(); }
    COLORREF At(int x, int y) { return static_cast<COLORREF>(canvas().Pixel(x, y)); }

    static constexpr COLORREF kBackground = RGB(0, 0, 200);
    TBitmap target;
};

TEST_F(CanvasTest, ClearBrushDrawsOnlyTheOutlineAndLinesUseThePen) {
    canvas().Brush().SetStyle(TBrushStyle::bsClear);
    canvas().Pen().SetColor(RGB(255, 0, 0));
    canvas().Rectangle(1, 1, 6, 6);
    EXPECT_EQ(At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(At(5, 3), RGB(255, 0, 0));
    EXPECT_EQ(At(3, 3), kBackground);

    canvas().Brush().SetStyle(TBrushStyle::bsSolid);
    canvas().Brush().SetColor(RGB(0, 255, 0));
    canvas().Pen().SetStyle(TPenStyle::psClear);
    canvas().Rectangle(1, 1, 6, 6);  // a clear pen: only the inside, one pixel short at the right and bottom
    EXPECT_EQ(At(3, 3), RGB(0, 255, 0));

    canvas().Pen().SetStyle(TPenStyle::psSolid);
    canvas().Pen().SetColor(RGB(255, 255, 0));
    canvas().MoveTo(0, 7);
    canvas().LineTo(8, 7);
    EXPECT_EQ(At(0, 7), RGB(255, 255, 0));
    EXPECT_EQ(At(7, 7), RGB(255, 255, 0));
    canvas().SetPixel(7, 0, RGB(1, 2, 3));
    EXPECT_EQ(At(7, 0), RGB(1, 2, 3));
}

TEST_F(CanvasTest, DrawLeavesTheTransparentColourUnpaintedAndCopyRectStretches) {
    TBitmap glyph;  // top row magenta, bottom row white
    glyph.SetSize(2, 2);
    glyph.Canvas().Brush().SetColor(RGB(255, 0, 255));
    glyph.Canvas().FillRect(RECT{0, 0, 2, 1});
    glyph.Canvas().Brush().SetColor(RGB(255, 255, 255));
    glyph.Canvas().FillRect(RECT{0, 1, 2, 2});

    canvas().Draw(0, 0, glyph);  // opaque
    EXPECT_EQ(At(0, 0), RGB(255, 0, 255));
    glyph.SetTransparent(true);
    glyph.SetTransparentColor(RGB(255, 0, 255));
    canvas().Draw(4, 0, glyph);
    EXPECT_EQ(At(4, 0), kBackground);
    EXPECT_EQ(At(5, 1), RGB(255, 255, 255));

    SetStretchBltMode(canvas().Handle(), COLORONCOLOR);
    canvas().CopyRect(RECT{0, 4, 4, 8}, glyph.Canvas(), RECT{0, 0, 2, 2});  // twice the size
    EXPECT_EQ(At(3, 5), RGB(255, 0, 255));
    EXPECT_EQ(At(3, 6), RGB(255, 255, 255));
}

TEST(ImageList, LoadFromResourceCutsTheStripAndMasksItsWhite) {
    TImageList images(nullptr);
    images.LoadFromResource(GetModuleHandleW(nullptr), L"TESTSTRIP", 8, clWhite);
    EXPECT_EQ(images.Count(), 4);
    EXPECT_EQ(images.Width(), 8);
    EXPECT_EQ(images.Height(), 8);
    ASSERT_NE(images.Handle(), nullptr);

    // Glyph g is black in its row g only; everything white shows the background.
    for (int glyph = 0; glyph < 4; ++glyph) {
        SCOPED_TRACE(glyph);
        TBitmap target;
        target.SetSize(8, 8);
        target.Canvas().Brush().SetColor(RGB(200, 0, 0));
        target.Canvas().FillRect(RECT{0, 0, 8, 8});
        ImageList_Draw(images.Handle(), glyph, target.Canvas().Handle(), 0, 0, ILD_NORMAL);
        for (int y = 0; y < 8; ++y)
            EXPECT_EQ(static_cast<COLORREF>(target.Canvas().Pixel(3, y)), y == glyph ? RGB(0, 0, 0) : RGB(200, 0, 0)) << "row " << y;
    }

    EXPECT_THROW(images.LoadFromResource(GetModuleHandleW(nullptr), L"NOSUCHSTRIP", 8, clWhite), EInvalidGraphic);
    EXPECT_EQ(images.Count(), 0);
}

}  // namespace
}  // namespace tk

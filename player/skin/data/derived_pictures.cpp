#include "derived_pictures.h"

#include <algorithm>

#include "bitmap_transforms.h"
#include "colour_blend.h"
#include "draw_frame.h"
#include "draw_skin_bitmap.h"
#include "gradient_fill.h"
#include "model_rules.h"

namespace skin {
namespace {

constexpr int kCellWidth = 50, kCellHeight = 21, kArrowSide = 17;

void FillRect(tk::TBitmap& bitmap, const RECT& rect, tk::TColor colour) {
    tk::TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(colour);
    canvas.FillRect(rect);
}

// Copies a (left, top, width, height) block of source to (x, y) of target.
void CopyBlock(tk::TBitmap& target, int x, int y, tk::TBitmap& source, int left, int top, int width, int height) {
    BitBlt(target.Canvas().Handle(), x, y, width, height, source.Canvas().Handle(), left, top, SRCCOPY);
}

void ComposeComboCell(SkinModel& m, tk::TBitmap& cell, int frame, int buttonWidth) {
    FillRect(cell, {0, 0, kCellWidth, kCellHeight}, kKeyColour);
    HDC dc = cell.Canvas().Handle();
    SkinPicture edge = m.SunkEdge->Picture();
    edge.tileCentre = false;
    DrawSkinPicture(dc, {0, 0, kCellWidth, kCellHeight}, edge, frame);
    const RECT buttonRect{kCellWidth - buttonWidth, 0, kCellWidth, kCellHeight};
    SkinPicture button = m.ComboButton->Picture();
    button.transparent = true;
    DrawSkinPicture(cell.Canvas().Handle(), buttonRect, button, frame);
    if (m.ExtraImages)
        DrawFrameCentered(cell.Canvas().Handle(), buttonRect, m.ExtraImages->Image, true, m.ExtraImages->Frame, frame);
    FillRect(cell, {2, 2, kCellWidth - 1 - buttonWidth, 18}, kKeyColour);
}

}  // namespace

void MakeComboStrip(SkinModel& m) {
    if (!m.SunkEdge || !m.ComboButton) return;
    const int buttonWidth = GetSystemMetrics(SM_CXHSCROLL) + 2;
    const int frames = std::max(m.SunkEdge->Frame, 1);
    tk::TBitmap strip;
    strip.SetSize(kCellWidth * frames, kCellHeight);
    FillRect(strip, {0, 0, strip.Width(), kCellHeight}, kKeyColour);
    tk::TBitmap cell;
    cell.SetSize(kCellWidth, kCellHeight);
    for (int f = 1; f <= frames; ++f) {
        ComposeComboCell(m, cell, f, buttonWidth);
        CopyBlock(strip, kCellWidth * (f - 1), 0, cell, 0, 0, kCellWidth, kCellHeight);
    }
    TDataSkinBorder& button = *m.ComboButton;
    button.Style = 2;
    button.TopHeight = m.SunkEdge->TopHeight;
    button.BottomHeight = m.SunkEdge->BottomHeight;
    button.LeftWidth = 2;
    button.RightWidth = buttonWidth + 2;
    button.Image.Assign(&strip);
    MirrorBitmap(strip);
    m.SunkEdge->Image.Assign(&strip);
    m.SunkEdge->LeftWidth = buttonWidth + 2;
    m.SunkEdge->RightWidth = 2;
}

void MakeComboxArrow(SkinModel& m) {
    if (!m.ComboxArrow) m.ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    TDataSkinObject& arrow = *m.ComboxArrow;
    arrow.Image.Assign(nullptr);
    if (!m.ComboButton) return;
    if (!m.SunkEdge) {
        arrow.Image.Assign(&m.ComboButton->Image);
        // The stored colour may be a system-colour constant; the picture needs its RGB value.
        if (!arrow.Image.Empty()) ReplaceKeyColour(arrow.Image, static_cast<tk::TColor>(tk::ColorToRGB(m.Colours.ButtonFace)));
        arrow.Frame = m.ComboButton->Frame;
        return;
    }
    const int n = std::max(m.SunkEdge->Frame, 1);
    tk::TBitmap& source = m.ComboButton->Image;
    if (source.Empty()) return;
    const int cellWidth = source.Width() / n;
    arrow.Image.SetSize(n * kArrowSide, kArrowSide);
    for (int i = 0; i < n; ++i)
        CopyBlock(arrow.Image, kArrowSide * i, 0, source, (i + 1) * cellWidth - 19, 2, kArrowSide, kArrowSide);
    arrow.Frame = n;
}

void MakeToolbar(SkinModel& m) {
    if (!m.Toolbar) m.Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    const tk::TColor background = m.BackgroundColour;
    const tk::TColor top = Blend(m.Colours.ButtonFace, 0xFFFFFF, 150);
    tk::TColor end = Blend(0x808080, background, 150);
    // Saturation reads the colour's bytes, so a system-colour constant is resolved first.
    const int saturation = SaturationValue(static_cast<tk::TColor>(tk::ColorToRGB(background)));
    if (saturation > 110) end = Blend(background, 0xFFFFFF, ToolbarEndWeight(saturation));
    tk::TBitmap& image = m.Toolbar->Image;
    image.Assign(nullptr);
    image.SetSize(10, 40);
    GradientFill(image.Canvas().Handle(), {0, 0, 10, 40}, top, true, end);
    m.Toolbar->Frame = 1;
}

tk::TColor ComputeBackgroundColour(SkinModel& m) {
    tk::TBitmap& top = m.Top->Image;
    if (top.Empty()) return m.Colours.ButtonFace;
    const int frameHeight = top.Height() / std::max(m.Top->Frame, 1);
    return static_cast<tk::TColor>(GetPixel(top.Canvas().Handle(), top.Width() / 3, frameHeight / 3));
}

}  // namespace skin

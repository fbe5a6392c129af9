// Drawing the menu bar: the band from the menu-bar object (or the skin's menu-bar colour), the
// captions centred in their items; and one item again on its own when its state changes.
#include "centered_text.h"
#include "draw_skin_bitmap.h"
#include "screen.h"
#include "skin_data.h"
#include "skin_menu_bar.h"

namespace skin {

namespace {

// The band's picture frame: 1 while the window is active, 2 while not.
int BandFrame(const INcHost& form) { return form.Frame().WindowActive ? 1 : 2; }

std::unique_ptr<tk::TBitmap> DrawBand(TSkinData* data, const INcHost& form, int width, int height) {
    if (data != nullptr && data->MenuBar && !data->MenuBar->Image.Empty())
        return DrawSkinBitmap(width, height, data->MenuBar->Picture(), BandFrame(form));
    auto band = std::make_unique<tk::TBitmap>();
    band->SetSize(width, height);
    band->Canvas().Brush().SetStyle(tk::TBrushStyle::bsSolid);
    band->Canvas().Brush().SetColor(data != nullptr ? data->Colours.Menubar : tk::clBtnFace);
    band->Canvas().FillRect(RECT{0, 0, width, height});
    return band;
}

tk::TColor TextColour(const TSkinData* data) { return data != nullptr ? data->Colours.MenuBarText : tk::clWindowText; }

void DrawCaption(tk::TCanvas& canvas, const RECT& rect, const TMenuBtn& button, const TSkinData* data) {
    canvas.Font().Assign(&tk::Screen->MenuFont());
    canvas.Font().SetColor(TextColour(data));
    DrawCenteredText(canvas, rect, button.Caption, TTextAlignment::Center, button.Enabled);
}

}  // namespace

void TWinSkinMenu::Paint(HDC dc, const SliceRect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    std::unique_ptr<tk::TBitmap> band = DrawBand(SkinData, *Form, rect.Width(), rect.Height());
    Background.Assign(band.get());
    LayoutIn(rect);
    tk::TCanvas& canvas = band->Canvas();
    for (const auto& button : Buttons) {
        if (!button->Visible || button->Caption.empty()) continue;
        const SliceRect& r = button->Rect;
        DrawCaption(canvas, RECT{r.left - rect.left, r.top - rect.top, r.right - rect.left, r.bottom - rect.top},
                    *button, SkinData);
    }
    BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), canvas.Handle(), 0, 0, SRCCOPY);
}

void TMenuBtn::Paint() {
    HWND window = Form->WindowHandle();
    HDC dc = GetWindowDC(window);
    if (dc == nullptr) return;
    PaintTo(dc);
    ReleaseDC(window, dc);
}

void TMenuBtn::PaintTo(HDC dc) {
    if (Rect.Width() <= 0 || Rect.Height() <= 0) return;
    const SliceRect& bar = Bar->BarRect;
    if (!Bar->Background.Empty())
        BitBlt(dc, Rect.left, Rect.top, Rect.Width(), Rect.Height(), Bar->Background.Canvas().Handle(),
               Rect.left - bar.left, Rect.top - bar.top, SRCCOPY);
    tk::TCanvas canvas;
    canvas.SetHandle(dc);
    const RECT rect = ToRect(Rect);
    if (State == ncPressed || State == ncHot) {
        canvas.Brush().SetStyle(tk::TBrushStyle::bsSolid);
        canvas.Brush().SetColor(Bar->SkinData != nullptr ? Bar->SkinData->Colours.ButtonHilight : tk::clBtnHighlight);
        canvas.FrameRect(rect);
    }
    DrawCaption(canvas, rect, *this, Bar->SkinData);
}

}  // namespace skin

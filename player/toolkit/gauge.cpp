#include "gauge.h"

#include <string>

#include "gauge_math.h"
#include "published_properties.h"

namespace tk {
namespace {
// Black on light colours and white on dark ones, by the colour's relative luminance.
COLORREF LegibleOn(COLORREF background) {
    double luminance = 0.2126 * GetRValue(background) + 0.7152 * GetGValue(background) + 0.0722 * GetBValue(background);
    return luminance > 140 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

// The text in the given colour, drawn only inside `clip`.
void DrawTextClipped(TCanvas& canvas, const std::wstring& text, RECT area, const RECT& clip, COLORREF color) {
    if (IsRectEmpty(&clip)) return;
    HDC dc = canvas.Handle();
    int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    canvas.Font().SetColor(static_cast<TColor>(color));
    canvas.DrawText(text, area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
}
}  // namespace

TK_CLASS_INFO(TGauge, TGraphicControl, {
    PublishInteger<Self>(c, L"Progress", &Self::Progress, &Self::SetProgress);
    PublishInteger<Self>(c, L"MaxValue", &Self::MaxValue, &Self::SetMaxValue);
})

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 100, 100); }

void TGauge::SetMinValue(int v) { ChangeValue(minValue_, v); }
void TGauge::SetMaxValue(int v) { ChangeValue(maxValue_, v); }
void TGauge::SetProgress(int v) { ChangeValue(progress_, v); }

void TGauge::ChangeValue(int& value, int v) {
    if (v == value) return;
    RECT inside = ClientRect();
    InflateRect(&inside, -1, -1);
    const int percentBefore = PercentDone();
    const RECT doneBefore = DoneRect(inside);
    value = v;
    const RECT doneAfter = DoneRect(inside);
    if (PercentDone() != percentBefore || !EqualRect(&doneBefore, &doneAfter)) Invalidate();
}

int TGauge::PercentDone() const { return GaugePercent(minValue_, maxValue_, progress_); }

RECT TGauge::DoneRect(const RECT& inside) const {
    RECT done = inside;
    const int percent = PercentDone();
    if (kind_ == TGaugeKind::gkHorizontalBar)
        done.right = inside.left + (inside.right - inside.left) * percent / 100;
    else
        done.top = inside.bottom - (inside.bottom - inside.top) * percent / 100;
    return done;
}

void TGauge::Paint() {
    RECT r = ClientRect();
    Canvas()->Brush().SetColor(clBlack);
    Canvas()->FrameRect(r);
    InflateRect(&r, -1, -1);
    Canvas()->Brush().SetColor(backColor_);
    Canvas()->FillRect(r);
    const RECT done = DoneRect(r);
    Canvas()->Brush().SetColor(foreColor_);
    Canvas()->FillRect(done);
    if (!showText_) return;
    // The part of the gauge that is not done: the rest of the bar, or the top of a text gauge.
    RECT rest = r;
    if (kind_ == TGaugeKind::gkHorizontalBar)
        rest.left = done.right;
    else
        rest.bottom = done.top;
    const std::wstring text = std::to_wstring(PercentDone()) + L"%";
    DrawTextClipped(*Canvas(), text, r, done, LegibleOn(ColorToRGB(foreColor_)));
    DrawTextClipped(*Canvas(), text, r, rest, LegibleOn(ColorToRGB(backColor_)));
}

}  // namespace tk

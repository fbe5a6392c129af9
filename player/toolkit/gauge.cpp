#include "gauge.h"

#include <string>

#include "gauge_math.h"
#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TGauge, TGraphicControl, {
    PublishInteger<Self>(c, L"Progress", &Self::Progress, &Self::SetProgress);
    PublishInteger<Self>(c, L"MaxValue", &Self::MaxValue, &Self::SetMaxValue);
})

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 100, 100); }

void TGauge::SetProgress(int v) {
    if (v == progress_) return;
    progress_ = v;
    Invalidate();
}

int TGauge::PercentDone() const { return GaugePercent(minValue_, maxValue_, progress_); }

void TGauge::Paint() {
    RECT r = ClientRect();
    Canvas()->Brush().SetColor(clBlack);
    Canvas()->FrameRect(r);
    InflateRect(&r, -1, -1);
    Canvas()->Brush().SetColor(backColor_);
    Canvas()->FillRect(r);
    int percent = PercentDone();
    if (kind_ == TGaugeKind::gkHorizontalBar) {
        RECT bar = r;
        bar.right = r.left + (r.right - r.left) * percent / 100;
        Canvas()->Brush().SetColor(foreColor_);
        Canvas()->FillRect(bar);
    }
    if (showText_) {
        std::wstring text = std::to_wstring(percent) + L"%";
        Canvas()->DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

}  // namespace tk

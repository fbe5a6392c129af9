// A windowless progress gauge: a horizontal bar, or text only, with "n%" in the middle. The part
// done is filled in the fore colour (a bar from the left, a text gauge from the bottom), and the
// percentage is drawn in black or in white, whichever reads on the colour beneath each part of it.
#pragma once

#include "graphic_control.h"

namespace tk {

enum class TGaugeKind { gkText, gkHorizontalBar };

class TGauge : public TGraphicControl {
    TK_CLASS(TGauge)
public:
    explicit TGauge(TComponent* owner);
    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind v) { kind_ = v; Invalidate(); }
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor v) { foreColor_ = v; Invalidate(); }
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor v) { backColor_ = v; Invalidate(); }
    int MinValue() const { return minValue_; }
    void SetMinValue(int v);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v);
    int Progress() const { return progress_; }
    void SetProgress(int v);
    void AddProgress(int delta) { SetProgress(progress_ + delta); }
    bool ShowText() const { return showText_; }
    void SetShowText(bool v) { showText_ = v; Invalidate(); }
    int PercentDone() const;

protected:
    void Paint() override;

private:
    RECT DoneRect(const RECT& inside) const;
    // Sets a value and repaints only when the picture changes: a fill of thousands of steps then
    // costs about a hundred repaints, not one per step.
    void ChangeValue(int& value, int v);

    TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    int minValue_ = 0, maxValue_ = 100, progress_ = 0;
    bool showText_ = true;
};

}  // namespace tk

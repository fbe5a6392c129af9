// A windowed control of the layer's own class that paints itself on a canvas (Paint), after
// which its graphic children are painted.
#pragma once

#include "win_control.h"

namespace tk {

class TCustomControl : public TWinControl {
    TK_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas* Canvas() { return &canvas_; }

protected:
    virtual void Paint();
    void PaintWindow(HDC dc) override;

private:
    TCanvas canvas_;
};

}  // namespace tk

// Windowless controls: painted by their parent (PaintControls) on a canvas bound to the DC the
// parent lends, and fed mouse messages by the parent through their WindowProc.
#pragma once

#include "control.h"

namespace tk {

class TGraphicControl : public TControl {
    TK_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* owner);
    TCanvas* Canvas() { return &canvas_; }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& message) override;

private:
    TCanvas canvas_;
};

}  // namespace tk

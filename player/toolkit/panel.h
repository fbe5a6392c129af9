// Panels: containers of the layer's own class "TPanel" with optional bevels and a centred caption.
#pragma once

#include "custom_control.h"

namespace tk {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TCustomPanel : public TCustomControl {
    TK_CLASS(TCustomPanel)
public:
    explicit TCustomPanel(TComponent* owner);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);

protected:
    void Paint() override;
    RECT AlignRect() override;

private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    int bevelWidth_ = 1;
};

class TPanel : public TCustomPanel {
    TK_CLASS(TPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

}  // namespace tk

#include "panel.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TCustomPanel, TCustomControl)
TK_CLASS_INFO(TPanel, TCustomPanel, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishEnum<Self, TBevelCut>(c, L"BevelOuter", {L"bvNone", L"bvLowered", L"bvRaised"}, &Self::BevelOuter,
                                 &Self::SetBevelOuter);
    PublishEnum<Self, TBevelCut>(c, L"BevelInner", {L"bvNone", L"bvLowered", L"bvRaised"}, &Self::BevelInner,
                                 &Self::SetBevelInner);
    PublishInteger<Self>(c, L"BevelWidth", &Self::BevelWidth, &Self::SetBevelWidth);
})

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    bevelOuter_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    bevelInner_ = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int v) {
    bevelWidth_ = v;
    Realign();
    Invalidate();
}

RECT TCustomPanel::AlignRect() {
    RECT r = ClientRect();
    int inset = (bevelOuter_ != TBevelCut::bvNone ? bevelWidth_ : 0) + (bevelInner_ != TBevelCut::bvNone ? bevelWidth_ : 0);
    InflateRect(&r, -inset, -inset);
    return r;
}

void TCustomPanel::Paint() {
    TCanvas* canvas = Canvas();
    RECT r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::bvNone) return;
        TColor light = cut == TBevelCut::bvRaised ? clBtnHighlight : clBtnShadow;
        TColor dark = cut == TBevelCut::bvRaised ? clBtnShadow : clBtnHighlight;
        canvas->Frame3D(r, light, dark, bevelWidth_);
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);
    canvas->Brush().SetColor(Color());
    canvas->FillRect(r);
    if (!Caption().empty()) canvas->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace tk

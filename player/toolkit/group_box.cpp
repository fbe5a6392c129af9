#include "group_box.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TCustomGroupBox, TCustomControl)
TK_CLASS_INFO(TGroupBox, TCustomGroupBox, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishObject<Self, TFont>(c, L"Font", &Self::Font);
    PublishBool<Self>(c, L"ParentBackground", &Self::ParentBackground, &Self::SetParentBackground);
})

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 105); }

RECT TCustomGroupBox::AlignRect() {
    RECT r = ClientRect();
    InflateRect(&r, -2, -2);
    r.top += 13;
    return r;
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = Canvas();
    RECT r = ClientRect();
    canvas->Brush().SetColor(Color());
    canvas->FillRect(r);
    SIZE text = canvas->TextExtent(Caption().empty() ? L"0" : Caption());
    RECT frame = r;
    frame.top += text.cy / 2;
    DrawEdge(canvas->Handle(), &frame, EDGE_ETCHED, BF_RECT);
    if (!Caption().empty()) {
        RECT label{8, 0, 8 + text.cx + 4, text.cy};
        canvas->FillRect(label);
        label.left += 2;
        canvas->DrawText(Caption(), label, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
}

}  // namespace tk

#include "label.h"

#include "published_properties.h"
#include "win_control.h"

namespace tk {

TK_CLASS_INFO(TLabel, TGraphicControl, {
    PublishString<Self>(c, L"Caption", &Self::Caption, &Self::SetCaption);
    PublishBool<Self>(c, L"Transparent", &Self::Transparent, &Self::SetTransparent);
})

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(true);
    SetBounds(0, 0, 65, 13);
}

void TLabel::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TLabel::SetAutoSize(bool v) {
    autoSize_ = v;
    AdjustSize();
}

void TLabel::TextChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, EffectiveFont()->Handle());
    SIZE size = {};
    std::wstring text = Caption();
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SetBounds(Left(), Top(), size.cx, size.cy);
}

void TLabel::Paint() {
    RECT r = ClientRect();
    if (!transparent_) {
        Canvas()->Brush().SetColor(Parent() != nullptr ? Parent()->Color() : Color());
        Canvas()->FillRect(r);
    }
    Canvas()->DrawText(Caption(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

}  // namespace tk

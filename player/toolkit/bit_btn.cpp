#include "bit_btn.h"

#include "published_properties.h"

namespace tk {

TK_CLASS_INFO(TBitBtn, TButton, {
    PublishEnum<Self, TButtonLayout>(c, L"Layout", {L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom"},
                                     &Self::Layout, &Self::SetLayout);
    PublishInteger<Self>(c, L"Margin", &Self::Margin, &Self::SetMargin);
    PublishInteger<Self>(c, L"Spacing", &Self::Spacing, &Self::SetSpacing);
    PublishInteger<Self>(c, L"NumGlyphs", &Self::NumGlyphs, &Self::SetNumGlyphs);
})

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::CreateParams(TCreateParams& params) {
    TButton::CreateParams(params);
    params.Style = (params.Style & ~0x0Fu) | BS_OWNERDRAW;
}

void TBitBtn::Dispatch(TMessage& message) {
    if (message.Msg == CN_DRAWITEM && message.LParam != 0) {
        DrawFace(*reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam));
        message.Result = 1;
        return;
    }
    TButton::Dispatch(message);
}

void TBitBtn::DrawFace(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    int cx = (r.left + r.right) / 2 + (pressed ? 1 : 0), cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
    POINT arrow[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
    COLORREF colour = GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(item.hDC, brush);
    HGDIOBJ oldPen = SelectObject(item.hDC, pen);
    Polygon(item.hDC, arrow, 3);
    SelectObject(item.hDC, oldBrush);
    SelectObject(item.hDC, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    if (!Caption().empty()) {
        RECT text = r;
        text.left = cx + 6;
        SetBkMode(item.hDC, TRANSPARENT);
        DrawTextW(item.hDC, Caption().c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(item.hDC, &r);
    }
}

}  // namespace tk

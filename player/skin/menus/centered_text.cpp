#include "centered_text.h"

#include "colors.h"

namespace skin {

namespace {

UINT AlignmentFlag(TTextAlignment alignment) {
    switch (alignment) {
    case TTextAlignment::Right: return DT_RIGHT;
    case TTextAlignment::Center: return DT_CENTER;
    case TTextAlignment::Left: break;
    }
    return DT_LEFT;
}

}  // namespace

void DrawCenteredText(tk::TCanvas& canvas, const RECT& rect, const std::wstring& text, TTextAlignment alignment,
                      bool enabled) {
    canvas.Brush().SetStyle(tk::TBrushStyle::bsClear);
    canvas.Font().SetStyle(0);
    if (!enabled) canvas.Font().SetColor(tk::clBtnShadow);
    const UINT flags = AlignmentFlag(alignment) | DT_SINGLELINE | DT_EXPANDTABS;
    RECT box = rect;
    canvas.DrawText(text, box, flags | DT_CALCRECT | DT_NOCLIP);
    const int dx = ((rect.right - rect.left) - (box.right - box.left)) / 2;
    const int dy = ((rect.bottom - rect.top) - (box.bottom - box.top)) / 2;
    box = RECT{rect.left + dx, rect.top + dy, rect.left + dx + (box.right - box.left),
               rect.top + dy + (box.bottom - box.top)};
    canvas.DrawText(text, box, flags);
}

}  // namespace skin

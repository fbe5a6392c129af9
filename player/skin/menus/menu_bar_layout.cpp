// Where the menu bar's items go: one after the other from the margin, each as wide as its
// caption in the menu font plus a gap.
#include "screen.h"
#include "skin_data.h"
#include "skin_menu_bar.h"

namespace skin {

namespace {

constexpr int kMarginWithoutObject = 6;
constexpr int kMarginPastLeftCap = 4;
constexpr int kMarginPastRightCap = 8;
constexpr int kMarginOfNarrowBar = 12;
constexpr int kItemGap = 10;

// The caption's width in the menu font; 0 for an empty caption, which gets no gap either.
int ItemWidth(HDC dc, const std::wstring& caption) {
    if (caption.empty()) return 0;
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, DT_CALCRECT | DT_NOCLIP);
    return box.right - box.left == 0 ? 0 : box.right - box.left + kItemGap;
}

}  // namespace

int TWinSkinMenu::Margin(int barWidth) const {
    int margin = kMarginWithoutObject;
    if (SkinData != nullptr && SkinData->MenuBar) {
        const TDataSkinObject& object = *SkinData->MenuBar;
        margin = Form->Frame().RightToLeft ? object.RightWidth + kMarginPastRightCap
                                           : object.LeftWidth + kMarginPastLeftCap;
    }
    return barWidth < margin ? kMarginOfNarrowBar : margin;
}

void TWinSkinMenu::Layout() {
    const FormFrameState& frame = Form->Frame();
    LayoutIn(SliceRect{frame.BorderLeft, frame.BorderTop, frame.WindowWidth - frame.BorderRight,
                       frame.BorderTop + frame.MenuBarHeight});
}

void TWinSkinMenu::LayoutIn(const SliceRect& bar) {
    BarRect = bar;
    if (bar.Width() <= 0 || bar.Height() <= 0) return;
    const bool rightToLeft = Form->Frame().RightToLeft;
    const int margin = Margin(bar.Width());
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, tk::Screen->MenuFont().Handle());
    int x = rightToLeft ? bar.right - margin : bar.left + margin;
    for (const auto& button : Buttons) {
        if (!button->Visible) {
            button->Rect = {};
            continue;
        }
        const int width = ItemWidth(dc, button->Caption);
        const int left = rightToLeft ? x - width : x;
        button->Rect = SliceRect{left, bar.top, left + width, bar.bottom - 1};
        x = rightToLeft ? left : left + width;
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
}

}  // namespace skin

#include "title_text_layout.h"

namespace skin {
namespace {

constexpr int kButtonGap = 5;       // between the title and the right-aligned buttons
constexpr int kDialogIconRoom = 16; // the icon room that dialog-kind frames give back to the title

int HorizontalShift(const TitleTextStyle& style, bool rightToLeft, int freeWidth) {
    const int rightAligned = freeWidth - style.TextRightClip;
    if (rightToLeft) return rightAligned;
    switch (style.TextAlignment) {
    case 0: return style.TextShift;
    case 1: return freeWidth / 2;
    case 2: return rightAligned;
    default: return 0;
    }
}

}  // namespace

TitleTextPlacement PlaceTitleText(const SliceRect& caption, int textWidth, int textHeight, const TitleTextStyle& style,
                                  const FormFrameState& form, CaptionPlacement& placement) {
    SliceRect x{caption.left, caption.top, caption.left + textWidth + style.TXTBackleft + style.TXTBackRight,
                caption.top + textHeight};
    const int dx = HorizontalShift(style, form.RightToLeft, caption.Width() - x.Width());
    const int dy = (caption.Height() - x.Height()) / 2 + style.TextShiftVert / 2;
    x = SliceRect{x.left + dx, x.top + dy, x.right + dx, x.bottom + dy};

    const int buttonsLeft = placement.RightButtonsLeft;
    if ((form.WindowStyle & kStylePopup) != 0 && buttonsLeft > kButtonGap) {
        if (buttonsLeft - kButtonGap < x.right) x.right = buttonsLeft - kButtonGap;
    } else if (caption.right - style.TextRightClip < x.right) {
        x.right = caption.right - style.TextRightClip;
    }
    if (form.BorderKind == bkDialog && style.TextAlignment == 0) x.left -= kDialogIconRoom;
    placement.TitleTextRect = x;

    TitleTextPlacement result;
    result.TitleTextRect = x;
    result.BackFrame = form.WindowActive ? 1 : 2;
    if (style.HasTextBack) result.BackRect = SliceRect{x.left, caption.top, x.right, caption.bottom};
    result.TextRect = SliceRect{x.left + style.TXTBackleft, x.top, x.right - style.TXTBackRight, x.bottom};
    result.DrawFlags = form.RightToLeft ? kTitleDrawFlagsRtl : kTitleDrawFlags;
    return result;
}

}  // namespace skin

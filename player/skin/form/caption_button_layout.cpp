#include "caption_button_layout.h"

#include <algorithm>

namespace skin {

void LayoutCaptionButtons(const std::vector<CaptionButtonSpec>& buttons, std::vector<CaptionButtonState>& states,
                          const FormFrameState& form, int menuBarLeftWidth, CaptionPlacement& placement) {
    int rightButtonsLeft = 0;
    const size_t count = std::min(buttons.size(), states.size());
    for (size_t i = 0; i < count; ++i) {
        const CaptionButtonSpec& b = buttons[i];
        if (!states[i].Visible || !b.HasPicture()) continue;
        const int w = b.PictureWidth / std::max(b.Frame, 1);
        const int h = b.PictureHeight;
        int x = 0, y = b.Ycoord;
        switch (b.Align) {
        case 0: x = b.Xcoord; break;
        case 1:
            x = form.WindowWidth - b.Xcoord;
            rightButtonsLeft = std::max(rightButtonsLeft, x);
            break;
        case 2:
        case 8: x = placement.TitleTextRect.left - w - b.Xcoord; break;
        case 3:
        case 9: x = placement.TitleTextRect.right + b.Xcoord; break;
        case 100:
            x = form.WindowWidth - b.Xcoord - form.BorderRight - menuBarLeftWidth;
            y = form.BorderTop + (form.MenuBarHeight - h) / 2;
            break;
        default: y = 0; break;
        }
        states[i].Rect = SliceRect{x, y, x + w, y + h};
    }
    if (rightButtonsLeft > 0) placement.RightButtonsLeft = rightButtonsLeft;
}

}  // namespace skin

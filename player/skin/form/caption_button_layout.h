// Where the caption buttons sit: at fixed coordinates from the window's left or right edge,
// beside the title text, or in the menu bar (the buttons of a maximized MDI child).
#pragma once

#include <vector>

#include "caption_button_state.h"
#include "frame_state.h"
#include "nine_slice.h"

namespace skin {

// The caption's text and buttons place each other: the title is clipped before the
// right-aligned buttons of the last layout, and buttons of Align 2 and 3 sit beside the title.
struct CaptionPlacement {
    SliceRect TitleTextRect;   // where the title text was placed
    int RightButtonsLeft = 0;  // the largest left edge of the right-aligned buttons
};

// Sets the rectangle of every visible button that has a picture, by "Align": 0 at
// (Xcoord, Ycoord); 1 at (WindowWidth - Xcoord, Ycoord); 2 and 8 left of the title text; 3 and 9
// right of it; 100 in the menu bar, right-aligned inside the border and the band's left cap
// (menuBarLeftWidth, 0 without a menu-bar object) and centred in its height; other values at
// (0, 0). The largest right-aligned left edge becomes RightButtonsLeft when it is positive.
void LayoutCaptionButtons(const std::vector<CaptionButtonSpec>& buttons, std::vector<CaptionButtonState>& states,
                          const FormFrameState& form, int menuBarLeftWidth, CaptionPlacement& placement);

}  // namespace skin

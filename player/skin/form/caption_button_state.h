// Which caption buttons a skinned frame shows and enables, and the frame each one is drawn
// with. A button is shown when both of its conditions hold: "Visibility" and "Visibility1"
// name conditions on the window's state, activation and border icons.
#pragma once

#include <functional>

#include "frame_state.h"
#include "nine_slice.h"

namespace skin {

// A caption button as the skin describes it (a TDataSkinSysButton without its picture).
struct CaptionButtonSpec {
    int Action = 0, Align = 0, Xcoord = 0, Ycoord = 0, Visibility = 0, Visibility1 = 0;
    int PictureWidth = 0, PictureHeight = 0;  // 0 x 0: the button has no picture
    int Frame = 1;                            // frames side by side; below 1 counts as 1

    bool HasPicture() const { return PictureWidth > 0 && PictureHeight > 0; }
};

// What the skinner keeps for each button between paints.
struct CaptionButtonState {
    SliceRect Rect;  // in window coordinates, set by LayoutCaptionButtons
    bool Visible = false;
    bool Enabled = true;  // buttons start enabled; only the maximize and minimize actions change it
};

// The form's answer to SKIN_BUTTONVISIBLE for the codes 1000-2000 (code, action); above 0 shows
// the button. Without one such codes hide it.
using ButtonVisibleQuery = std::function<int(int code, int action)>;

// Condition A ("Visibility") and B ("Visibility1") for a code. B differs from A only for codes 6
// and 8, which need no system menu in B. Codes the rules do not name (-1 among them) hide the
// button.
bool VisibilityHolds(int code, const FormFrameState& form, int action, const ButtonVisibleQuery& ask);
bool Visibility1Holds(int code, const FormFrameState& form, int action, const ButtonVisibleQuery& ask);

// Visible = A and B, then the action rules: close (0) needs a system menu, the icon and menu
// actions (3, 11, 12) are hidden on dialog-kind frames, maximize (1) and minimize (2) are enabled
// by their box and the system menu. Stores and returns the visible flag.
bool UpdateCaptionButtonState(const CaptionButtonSpec& button, CaptionButtonState& state, const FormFrameState& form,
                              const ButtonVisibleQuery& ask = {});

// Whether the caption painter draws the button (the menu-bar buttons, Visibility 100, are drawn
// by the menu bar), and with which frame: 1 while active and enabled, else 4 (inactive or
// disabled); 1 always for a picture of fewer than 4 frames.
bool PaintsCaptionButton(const CaptionButtonSpec& button, const CaptionButtonState& state);
int CaptionButtonFrame(const CaptionButtonSpec& button, const CaptionButtonState& state, bool windowActive);

// The icon actions draw the window's icon in place of a frame of their picture.
inline bool IsIconAction(int action) { return action == 3 || action == 11; }

}  // namespace skin

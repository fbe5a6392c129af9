// The answer of a skinned frame to WM_NCCALCSIZE: the client area is the window less the
// skinned borders, the caption and the menu band.
#pragma once

#include <cstdint>

#include "frame_state.h"
#include "nine_slice.h"

namespace skin {

constexpr uint32_t kValidRects = 0x400;  // WVR_VALIDRECTS

struct NCCalcSizeAnswer {
    enum Kind {
        Default,    // wParam 0: the previous procedure's rectangle stands, result 0
        CopyFirst,  // the native frame stands: the second rectangle becomes a copy of the first
        Skinned,    // the first and second rectangles become Client
    } Action = Default;
    SliceRect Client;
    uint32_t Result = 0;
};

// Asked after the previous window procedure has answered. rectsValid: wParam is not 0. (x, y, cx, cy): the window position the message carries.
// A form without caption and a maximized or minimized MDI child keep the native frame.
NCCalcSizeAnswer HandleNCCalcSize(bool rectsValid, int x, int y, int cx, int cy, const FormFrameState& form);

}  // namespace skin

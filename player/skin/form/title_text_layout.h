// Where the caption's title text and its background band go inside the caption strip. The
// caller measures the text (one line in the caption font); the rules place it.
#pragma once

#include <cstdint>

#include "caption_button_layout.h"
#include "frame_state.h"
#include "nine_slice.h"

namespace skin {

// The "Title" object's values.
struct TitleTextStyle {
    int TextAlignment = 0;  // 0 left at TextShift, 1 centred, 2 right at TextRightClip
    int TextShift = 0, TextShiftVert = 0, TextRightClip = 0;
    int TXTBackleft = 0, TXTBackRight = 0;  // the caps of the text background, kept beside the text
    bool HasTextBack = false;               // the "TextBack" picture is not empty
};

constexpr uint32_t kTitleDrawFlags = 0x8020;    // DT_SINGLELINE | DT_END_ELLIPSIS
constexpr uint32_t kTitleDrawFlagsRtl = 0x8022; // ... | DT_RIGHT

struct TitleTextPlacement {
    SliceRect TitleTextRect;  // the text with its background caps: where the buttons beside it go
    SliceRect BackRect;       // the background band, the caption's full height; empty without TextBack
    int BackFrame = 1;        // 1 active, 2 inactive
    SliceRect TextRect;       // where the text is drawn, with kTitleDrawFlags or kTitleDrawFlagsRtl
    uint32_t DrawFlags = kTitleDrawFlags;
};

// The title of textWidth x textHeight in the caption rectangle `caption`:
// - shifted right by TextShift, centred or right-aligned by TextAlignment (always right-aligned on
//   a right-to-left form), and centred vertically plus half of TextShiftVert;
// - clipped 5 px before the right-aligned caption buttons on WS_POPUP windows that have such
//   buttons (RightButtonsLeft above 5), otherwise at TextRightClip from the caption's right;
// - moved 16 px further left on dialog-kind frames with left alignment, which show no icon.
// Sets placement.TitleTextRect.
TitleTextPlacement PlaceTitleText(const SliceRect& caption, int textWidth, int textHeight, const TitleTextStyle& style,
                                  const FormFrameState& form, CaptionPlacement& placement);

}  // namespace skin

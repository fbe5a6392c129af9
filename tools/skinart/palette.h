// The production skin's colours: a blue caption over grey-blue faces, one accent for hot,
// selected and focused states. The [Colours] section of skin.ini names the same values.
#pragma once

#include "canvas.h"

namespace skinart::palette {

// The window frame, once for the active and once for the inactive state.
struct Frame {
    uint32_t captionTop, captionBottom, outline, face;
};
inline constexpr Frame kActive{Rgb(92, 140, 206), Rgb(44, 88, 160), Rgb(24, 48, 96), Rgb(52, 96, 168)};
inline constexpr Frame kInactive{Rgb(176, 186, 200), Rgb(140, 150, 166), Rgb(110, 118, 130), Rgb(150, 160, 176)};

inline constexpr uint32_t kWhite = Rgb(255, 255, 255);
inline constexpr uint32_t kButtonFace = Rgb(232, 236, 242);
inline constexpr uint32_t kDisabledFace = Rgb(222, 226, 232);
inline constexpr uint32_t kAccent = Rgb(56, 104, 176);
inline constexpr uint32_t kButtonShadow = Rgb(138, 150, 168);
inline constexpr uint32_t kDkShadow = Rgb(64, 72, 88);
inline constexpr uint32_t kButtonText = Rgb(16, 24, 40);
inline constexpr uint32_t kScrollbar = Rgb(220, 226, 234);
inline constexpr uint32_t kMenu = Rgb(248, 249, 252);
inline constexpr uint32_t kMenubar = Rgb(214, 222, 234);
inline constexpr uint32_t kDisabledText = Rgb(160, 168, 182);
inline constexpr uint32_t kDisabledLine = Rgb(182, 190, 202);
// A warm face for the close button under the mouse: the one colour outside the blue family.
inline constexpr uint32_t kCloseHotTop = Rgb(222, 98, 84);
inline constexpr uint32_t kCloseHotBottom = Rgb(180, 52, 42);

}  // namespace skinart::palette

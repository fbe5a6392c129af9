// The native styles a skinned frame takes off its window and gives back: the system menu style
// (so the system draws no caption buttons of its own) and, where the frame strips it, the caption.
// Each returns the new style, or nothing when the window's style is to be left alone.
#pragma once

#include <cstdint>
#include <optional>

#include "frame_state.h"

namespace skin {

// Removing clears WS_SYSMENU; giving it back sets it when the window has a system menu.
// Nothing on a frame that strips its caption style instead.
std::optional<uint32_t> SysMenuStyle(uint32_t style, uint8_t borderIcons, bool remove, bool hasSystemMenu);

// Sets (on) or clears both WS_CAPTION bits; only on a frame that strips its caption style.
std::optional<uint32_t> CaptionStyle(uint32_t style, uint8_t borderIcons, bool on);

// On WM_GETMINMAXINFO: a minimized window and a maximized MDI child show the native caption,
// every other window has it stripped.
bool WantsNativeCaption(const FormFrameState& form);

}  // namespace skin

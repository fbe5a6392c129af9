// Colour values of the toolkit: 32-bit, red in the low byte. Values whose high byte is 0xFF are
// system colours whose index is the low byte; ColorToRGB (graphics.h) resolves them. This
// header needs no operating system, so colour arithmetic builds natively too.
#pragma once

#include <cstdint>

namespace tk {

using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clOlive = 0x008080;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010);
constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);

constexpr bool IsSystemColor(TColor color) { return (static_cast<uint32_t>(color) & 0xFF000000u) == 0xFF000000u; }
constexpr int SystemColorIndex(TColor color) { return static_cast<int>(static_cast<uint32_t>(color) & 0xFFu); }

}  // namespace tk

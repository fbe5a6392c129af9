// Colour arithmetic of the skin engine: blending two colours and a saturation measure. Colours
// are in the Windows layout (red in the low byte); a negative value is a system colour whose
// index is the low byte.
#pragma once

#include <cstdint>

#include "colors.h"

namespace skin {

// Turns a system colour index into its RGB value: GetSysColor on Windows. The native build has
// no system colours and answers black until a test installs its own table.
using SystemColourResolver = uint32_t (*)(int index);
SystemColourResolver SetSystemColourResolver(SystemColourResolver resolver);  // the old one; nullptr restores the default

// A weight below 100 is colour1's percentage; 100 or more is in thousandths (150 = 15 %).
// Negative colours are resolved first. The result has a zero high byte.
tk::TColor Blend(tk::TColor colour1, tk::TColor colour2, int weight);

// The HSV saturation (max - min) / max scaled to 0-255 and rounded, when a channel reaches 160;
// otherwise 200. Only the low three bytes are read: system colours are not resolved.
int SaturationValue(tk::TColor colour);

}  // namespace skin

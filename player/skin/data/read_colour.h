// Colours as a skin's ini writes them: three numbers in any notation ("255 128 0",
// "255,128,0", "RGB(255;128;0)"), or three integer keys of one name. Pure arithmetic.
#pragma once

#include <string_view>

#include "colors.h"

namespace skin {

// fallback for an empty (or all-blank) text. Otherwise the first three runs of digits are red,
// green and blue, each modulo 256, missing ones 0, later ones ignored; a text without digits is
// black. A run too long for a 32-bit integer swallows every later run, so it and all the
// numbers after it count as 0.
tk::TColor ReadColour(std::string_view text, tk::TColor fallback);

// The colour of three integer keys (e.g. ActiveTextR, -G, -B) when all three are 0 or more,
// from their low bytes; otherwise previous stays.
tk::TColor ThreeKeyColour(int red, int green, int blue, tk::TColor previous);

}  // namespace skin

// Colour gradients as tables of one colour per step, kept in 16 reused slots so that a
// repaint finds the table it made before. GUI thread only.
//
// Entry i of a table of count entries is start + (d div 2 + i * delta) div d per channel,
// d = count - 1, dividing toward zero. A falling channel therefore ends one step short of its
// end colour, so such a table is not found again and is rebuilt on each use. A one-entry table
// holds start + delta div 2 per channel.
#pragma once

#include <vector>

#include "colors.h"

namespace skin {

constexpr int kGradientSlots = 16;

int FindGradient(int count, tk::TColor start, tk::TColor end);  // the newest matching slot, or -1
int MakeGradient(int count, tk::TColor start, tk::TColor end);  // fills the next slot, 15 wraps to 0
int Gradient(int count, tk::TColor start, tk::TColor end);      // found, else made
const std::vector<tk::TColor>& GradientEntries(int slot);
void ClearGradientCache();  // empties every slot; the next one made goes to slot 0

}  // namespace skin

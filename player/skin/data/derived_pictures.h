// The pictures the model derives from others: the combo-box strip composed from the sunken
// edge and the combo button, the combo arrow squares, the toolbar gradient, and the form
// background colour that the toolbar gradient ends in.
#pragma once

#include "skin_model.h"

namespace skin {

// With both SunkEdge and ComboButton: a strip of SunkEdge's frame count of 50 x 21 cells, each
// the sunken edge with the button in its rightmost SM_CXHSCROLL + 2 pixels and a magenta
// interior, becomes ComboButton's picture (Style 2), and its mirror SunkEdge's.
void MakeComboStrip(SkinModel& model);
// ComboxArrow, made when missing: the combo button with magenta as ButtonFace (no SunkEdge),
// or the 17 x 17 arrow square of each cell of the combo strip; else an empty picture.
void MakeComboxArrow(SkinModel& model);
// Toolbar, made when missing: a 10 x 40 vertical gradient from ButtonFace lightened to a
// shade of BackgroundColour, one frame.
void MakeToolbar(SkinModel& model);
// The ButtonFace colour, or the Top piece's pixel a third into its first frame.
tk::TColor ComputeBackgroundColour(SkinModel& model);

}  // namespace skin

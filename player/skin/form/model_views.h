// The frame rules' view of the skin model: the values of its border, title, menu-bar and caption
// button objects that the rules read, without their pictures.
#pragma once

#include <vector>

#include "border_sizes.h"
#include "caption_button_state.h"
#include "frame_pieces.h"
#include "skin_model.h"
#include "title_text_layout.h"

namespace skin {

CaptionButtonSpec CaptionButtonSpecOf(const TDataSkinSysButton& button);
// The model's caption buttons in its order (the MDI control buttons last).
std::vector<CaptionButtonSpec> CaptionButtonSpecsOf(const SkinModel& model);

// "TextShift", "TextShiftVert" and "TextRightClip" are the title object's margins.
TitleTextStyle TitleTextStyleOf(const TDataSkinTitle& title);

// The menu band's left cap ("TileLeftMenu"); 0 without a menu-bar object.
int MenuBarLeftWidth(const SkinModel& model);

// The border pieces' thicknesses; all 0 before a skin is read.
BorderSizes ComputeBorderSizes(const SkinModel& model, TBorderKind kind);

// The border object of a piece, and how it is drawn; nullptr for a piece the model lacks.
TDataSkinBorder* BorderObject(const SkinModel& model, TBorderPiece piece);
BorderPieceLook BorderPieceLookOf(const SkinModel& model, TBorderPiece piece, bool windowActive);

}  // namespace skin

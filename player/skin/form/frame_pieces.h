// What the non-client painter draws where: the three border pieces, the caption strip composed
// off-screen, and the band behind the menu bar; and how each border piece picks its frame.
#pragma once

#include <vector>

#include "frame_state.h"
#include "nine_slice.h"

namespace skin {

// The border objects by piece number.
enum TBorderPiece { bpLeft = 1, bpRight = 2, bpTop = 3, bpBottom = 4 };

struct BorderPieceLook {
    int FrameIndex = 1;   // 1 active, 2 inactive; 1 always for a one-frame picture
    FrameLayout Layout = FrameLayout::SideBySide;  // the caption and bottom stack their frames
    bool TileCentre = false;  // Tile 1 stretches the centre, any other value tiles it
};

// frameCount below 1 counts as 1.
BorderPieceLook BorderPieceLookOf(TBorderPiece piece, int frameCount, int tile, bool windowActive);

// Whether the painter draws a non-client area at all: skinned or re-colouring (SkinState 1 or
// 3), with a caption, and not a maximized MDI child (whose frame the MDI frame's menu bar shows).
bool PaintsNonClient(const FormFrameState& form, int skinState);

struct PlacedPiece {
    TBorderPiece Piece;
    SliceRect Rect;
    bool operator==(const PlacedPiece&) const = default;
};

enum class MenuBand { None, MenuBar, Brush };  // who fills the band under the caption

struct NonClientPlan {
    std::vector<PlacedPiece> Borders;  // drawn first, straight on the window
    SliceRect CaptionBuffer;           // the off-screen caption, copied to the window at (0, 0)
    bool CaptionOnButtonFace = false;  // the buffer starts filled with ButtonFace, else with the
                                       // window's pixels (the corners the side pieces drew)
    SliceRect CaptionRect;             // where the caption piece goes in the buffer
    MenuBand Band = MenuBand::None;
    SliceRect BandRect;
};

// For a window of WindowWidth x WindowHeight: a minimized window paints only its caption, the
// window's whole size on ButtonFace; any other the left, right and bottom pieces, then the caption
// between the side pieces, then the menu band (the menu bar's, or the skin's background brush
// when the band has a height).
NonClientPlan PlanNonClient(const FormFrameState& form);

}  // namespace skin

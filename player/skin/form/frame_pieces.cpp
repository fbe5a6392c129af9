#include "frame_pieces.h"

namespace skin {

BorderPieceLook BorderPieceLookOf(TBorderPiece piece, int frameCount, int tile, bool windowActive) {
    BorderPieceLook look;
    look.FrameIndex = windowActive || frameCount <= 1 ? 1 : 2;
    look.Layout = piece == bpTop || piece == bpBottom ? FrameLayout::Stacked : FrameLayout::SideBySide;
    look.TileCentre = tile != 1;
    return look;
}

bool PaintsNonClient(const FormFrameState& form, int skinState) {
    if (skinState != 1 && skinState != 3) return false;
    if (!form.HasCaption()) return false;
    return !(form.IsMdiChild() && form.WindowState == wsMaximized);
}

NonClientPlan PlanNonClient(const FormFrameState& form) {
    const int w = form.WindowWidth, h = form.WindowHeight;
    NonClientPlan plan;
    if (form.WindowState == wsMinimized) {
        plan.CaptionBuffer = SliceRect{0, 0, w, h};
        plan.CaptionOnButtonFace = true;
        plan.CaptionRect = SliceRect{0, 0, w, form.BorderTop};
        return plan;
    }
    plan.Borders = {
        {bpLeft, SliceRect{0, 0, form.BorderLeft, h}},
        {bpRight, SliceRect{w - form.BorderRight, 0, w, h}},
        {bpBottom, SliceRect{form.BorderLeft, h - form.BorderBottom, w - form.BorderRight, h}},
    };
    plan.CaptionBuffer = SliceRect{0, 0, w, form.BorderTop};
    plan.CaptionRect = SliceRect{form.BorderLeft, 0, w - form.BorderRight, form.BorderTop};
    plan.BandRect = SliceRect{form.BorderLeft, form.BorderTop, w - form.BorderRight, form.BorderTop + form.MenuBarHeight};
    if (form.HasMenuBar) plan.Band = MenuBand::MenuBar;
    else if (form.MenuBarHeight > 0) plan.Band = MenuBand::Brush;
    return plan;
}

}  // namespace skin

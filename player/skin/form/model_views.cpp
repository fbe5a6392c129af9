#include "model_views.h"

namespace skin {
namespace {

BorderPictureSize PictureSizeOf(TDataSkinBorder* border) {
    if (border == nullptr) return {};
    return BorderPictureSize{border->Image.Width(), border->Image.Height(), border->Frame};
}

}  // namespace

CaptionButtonSpec CaptionButtonSpecOf(const TDataSkinSysButton& b) {
    CaptionButtonSpec spec;
    spec.Action = b.Action;
    spec.Align = b.Align;
    spec.Xcoord = b.Xcoord;
    spec.Ycoord = b.Ycoord;
    spec.Visibility = b.Visibility;
    spec.Visibility1 = b.Visibility1;
    if (!b.Image.Empty()) {
        spec.PictureWidth = b.Image.Width();
        spec.PictureHeight = b.Image.Height();
    }
    spec.Frame = b.Frame;
    return spec;
}

std::vector<CaptionButtonSpec> CaptionButtonSpecsOf(const SkinModel& model) {
    std::vector<CaptionButtonSpec> specs;
    specs.reserve(model.CaptionButtons.size());
    for (const auto& b : model.CaptionButtons) specs.push_back(CaptionButtonSpecOf(*b));
    return specs;
}

TitleTextStyle TitleTextStyleOf(const TDataSkinTitle& t) {
    TitleTextStyle style;
    style.TextAlignment = t.TextAlignment;
    style.TextShift = t.LeftWidth;
    style.TextShiftVert = t.TopHeight;
    style.TextRightClip = t.RightWidth;
    style.TXTBackleft = t.TXTBackleft;
    style.TXTBackRight = t.TXTBackRight;
    style.HasTextBack = !t.Image.Empty();
    return style;
}

int MenuBarLeftWidth(const SkinModel& model) { return model.MenuBar ? model.MenuBar->LeftWidth : 0; }

BorderSizes ComputeBorderSizes(const SkinModel& model, TBorderKind kind) {
    if (model.NoSkin) return {};
    return ComputeBorderSizes(PictureSizeOf(model.Left.get()), PictureSizeOf(model.Top.get()),
                              PictureSizeOf(model.Right.get()), PictureSizeOf(model.Bottom.get()), kind);
}

TDataSkinBorder* BorderObject(const SkinModel& model, TBorderPiece piece) {
    switch (piece) {
    case bpLeft: return model.Left.get();
    case bpRight: return model.Right.get();
    case bpTop: return model.Top.get();
    case bpBottom: return model.Bottom.get();
    }
    return nullptr;
}

BorderPieceLook BorderPieceLookOf(const SkinModel& model, TBorderPiece piece, bool windowActive) {
    const TDataSkinBorder* border = BorderObject(model, piece);
    if (border == nullptr) return BorderPieceLookOf(piece, 1, 0, windowActive);
    return BorderPieceLookOf(piece, border->Frame, border->Tile, windowActive);
}

}  // namespace skin

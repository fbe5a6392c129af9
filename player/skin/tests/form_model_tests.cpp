// The frame rules over the flat frame skin as the real streaming path loads it: border
// thicknesses, the caption buttons a main window shows and where, the title's values and the
// frame each border piece draws. Expected sizes come from the skin's generated table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "caption_button_layout.h"
#include "flat_skin_colours.h"
#include "model_views.h"
#include "skin_data_fixture.h"

namespace skin::testing {
namespace {

class FlatFrameRules : public SkinDataTest {};

TEST_F(FlatFrameRules, TwoFrameBorderPicturesGiveHalfTheirThickness) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    const BorderSizes expected{flatskin::kLeft.frameWidth, flatskin::kTop.frameHeight, flatskin::kRight.frameWidth,
                               flatskin::kBottom.frameHeight};
    EXPECT_EQ(ComputeBorderSizes(*s.data, bkSizable), expected);
    EXPECT_EQ(ComputeBorderSizes(*s.data, bkDialog), expected);
    EXPECT_EQ(ComputeBorderSizes(*s.data, bkNoCaption), BorderSizes{});

    StreamedSkin none = StreamSkin(nullptr);
    EXPECT_EQ(ComputeBorderSizes(*none.data, bkSizable), BorderSizes{}) << "no skin read";
}

TEST_F(FlatFrameRules, BorderPiecesDrawFrameOneActiveAndTwoInactive) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    for (TBorderPiece piece : {bpLeft, bpRight, bpTop, bpBottom}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(BorderPieceLookOf(*s.data, piece, true).FrameIndex, 1);
        EXPECT_EQ(BorderPieceLookOf(*s.data, piece, false).FrameIndex, 2);
        EXPECT_FALSE(BorderPieceLookOf(*s.data, piece, true).TileCentre) << "Stretch=1";
    }
    EXPECT_EQ(BorderPieceLookOf(*s.data, bpTop, true).Layout, FrameLayout::Stacked);
    EXPECT_EQ(BorderPieceLookOf(*s.data, bpLeft, true).Layout, FrameLayout::SideBySide);
}

TEST_F(FlatFrameRules, AMainWindowShowsMinimizeMaximizeAndCloseAtTheRight) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    const std::vector<CaptionButtonSpec> specs = CaptionButtonSpecsOf(*s.data);
    ASSERT_EQ(specs.size(), s.data->CaptionButtons.size());
    FormFrameState form;
    form.BorderIcons = fiMaximizeBox | fiMinimizeBox | fiSystemMenu;
    form.WindowWidth = 300;
    form.BorderTop = flatskin::kTop.frameHeight;
    std::vector<CaptionButtonState> states(specs.size());
    std::string shown;
    for (size_t i = 0; i < specs.size(); ++i) shown += UpdateCaptionButtonState(specs[i], states[i], form) ? '1' : '0';
    // Icon (no picture of its own), minimize, maximize, restore, close, then the three MDI buttons.
    EXPECT_EQ(shown, "11101000");
    CaptionPlacement placement;
    LayoutCaptionButtons(specs, states, form, MenuBarLeftWidth(*s.data), placement);

    const flatskin::Object* pictures[] = {&flatskin::kMinimize, &flatskin::kMaximize, &flatskin::kClose};
    const size_t slots[] = {1, 2, 4};
    for (size_t k = 0; k < 3; ++k) {
        const SliceRect& r = states[slots[k]].Rect;
        SCOPED_TRACE(pictures[k]->member);
        EXPECT_EQ(r.Width(), pictures[k]->frameWidth);
        EXPECT_EQ(r.Height(), pictures[k]->frameHeight);
        EXPECT_EQ(r.left, 300 - specs[slots[k]].Xcoord);
        EXPECT_LE(r.bottom, form.BorderTop) << "inside the caption";
    }
    EXPECT_LT(states[1].Rect.right, states[2].Rect.left + 1);
    EXPECT_LT(states[2].Rect.right, states[4].Rect.left + 1);
    EXPECT_EQ(placement.RightButtonsLeft, states[4].Rect.left);
    EXPECT_EQ(states[0].Rect, SliceRect{}) << "the icon button is placed once it has the window's icon";
}

TEST_F(FlatFrameRules, TheTitleTakesItsShiftClipAndCapsFromTheTitleObject) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    const TitleTextStyle style = TitleTextStyleOf(*s.data->Title);
    EXPECT_EQ(style.TextAlignment, 0);
    EXPECT_EQ(style.TextShift, s.data->Title->LeftWidth);
    EXPECT_EQ(style.TextRightClip, s.data->Title->RightWidth);
    EXPECT_EQ(style.TXTBackleft, flatskin::kTextBack.left);
    EXPECT_EQ(style.TXTBackRight, flatskin::kTextBack.right);
    EXPECT_TRUE(style.HasTextBack);
    EXPECT_EQ(MenuBarLeftWidth(*s.data), flatskin::kMenuBar.left);
}

}  // namespace
}  // namespace skin::testing

// The rules of a skinned frame: caption-button visibility, enabling, frames and positions, the
// title's place, the border pieces and their frames, the client area and the styles taken off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "border_sizes.h"
#include "caption_button_layout.h"
#include "caption_button_state.h"
#include "caption_style.h"
#include "frame_pieces.h"
#include "nc_calc_size.h"
#include "title_text_layout.h"

namespace skin {
namespace {

std::string Show(const SliceRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

constexpr uint8_t kAllIcons = fiMaximizeBox | fiMinimizeBox | fiSystemMenu;

// The windows the player meets, as the form skinner describes them.
FormFrameState MainWindow() {
    FormFrameState f;
    f.BorderIcons = kAllIcons;
    return f;
}
FormFrameState Maximized() {
    FormFrameState f = MainWindow();
    f.WindowState = wsMaximized;
    return f;
}
FormFrameState Inactive() {
    FormFrameState f = MainWindow();
    f.WindowActive = false;
    return f;
}
FormFrameState SystemMenuOnly() {  // the settings dialog: a single frame with a system menu
    FormFrameState f;
    f.BorderKind = bkSingle;
    f.BorderIcons = fiSystemMenu;
    return f;
}
FormFrameState BoxesWithoutSystemMenu() {
    FormFrameState f;
    f.BorderIcons = fiMaximizeBox | fiMinimizeBox;
    return f;
}
FormFrameState MaximizeBoxOnly() {
    FormFrameState f;
    f.BorderIcons = fiMaximizeBox | fiSystemMenu;
    return f;
}
FormFrameState MessageBox() {
    FormFrameState f;
    f.BorderKind = bkDialog;
    f.IsDialog = true;
    f.BorderIcons = fiSystemMenu;
    f.WindowStyle = kStylePopup;
    return f;
}
FormFrameState DialogFrameForm() {  // a program's own form with a dialog frame
    FormFrameState f = MessageBox();
    f.IsDialog = false;
    return f;
}
FormFrameState MdiFrame(bool childMaximized, bool menuBar) {
    FormFrameState f = MainWindow();
    f.FormKind = fkMdiFrame;
    f.MdiChildMaximized = childMaximized;
    f.HasMenuBar = menuBar;
    return f;
}

TEST(CaptionButtonVisibility, BothConditionsAgainstWindowStateAndBorderIcons) {
    struct Case {
        int code;
        const char* window;
        FormFrameState form;
        bool a, b;  // "Visibility", "Visibility1"
    };
    const Case cases[] = {
        {0, "main", MainWindow(), true, true},
        {0, "no icons", FormFrameState{}, true, true},
        {1, "main", MainWindow(), false, false},
        {1, "maximized", Maximized(), true, true},
        {2, "main", MainWindow(), true, true},
        {2, "maximized", Maximized(), false, false},
        {3, "main", MainWindow(), true, true},
        {3, "inactive", Inactive(), false, false},
        {4, "main", MainWindow(), false, false},
        {4, "inactive", Inactive(), true, true},
        {5, "main", MainWindow(), false, false},
        // 6 and 8: a box and, for the first condition only, a system menu.
        {6, "main", MainWindow(), true, true},
        {6, "boxes, no system menu", BoxesWithoutSystemMenu(), false, true},
        {6, "system menu only", SystemMenuOnly(), false, false},
        {8, "boxes, no system menu", BoxesWithoutSystemMenu(), false, true},
        {8, "maximize box only", MaximizeBoxOnly(), true, true},
        {7, "main", MainWindow(), false, false},
        {7, "system menu only", SystemMenuOnly(), true, true},
        {9, "maximize box only", MaximizeBoxOnly(), true, true},
        {9, "main", MainWindow(), false, false},
        {10, "main", MainWindow(), false, false},
        {11, "main", MainWindow(), false, false},
        {99, "main", MainWindow(), false, false},
        // 100: the buttons of a maximized MDI child, in the frame's skinned menu bar.
        {100, "MDI frame, child maximized", MdiFrame(true, true), true, true},
        {100, "MDI frame, child maximized, no menu bar", MdiFrame(true, false), false, false},
        {100, "MDI frame, child normal", MdiFrame(false, true), false, false},
        {100, "main, maximized", Maximized(), false, false},
        {150, "main", MainWindow(), false, false},
        // 200 and above: the second condition follows the first's rules.
        {200, "dialog frame", DialogFrameForm(), true, true},
        {200, "message box", MessageBox(), false, false},
        {200, "main", MainWindow(), false, false},
        {201, "main", MainWindow(), true, true},
        {999, "no icons", FormFrameState{}, true, true},
        {-1, "main", MainWindow(), false, false},
        {-7, "main", MainWindow(), false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VisibilityHolds(c.code, c.form, 0, {}), c.a) << "Visibility " << c.code << ", " << c.window;
        EXPECT_EQ(Visibility1Holds(c.code, c.form, 0, {}), c.b) << "Visibility1 " << c.code << ", " << c.window;
    }
}

TEST(CaptionButtonVisibility, CodesFrom1000To2000AskTheForm) {
    std::vector<std::pair<int, int>> asked;
    const ButtonVisibleQuery ask = [&](int code, int action) {
        asked.emplace_back(code, action);
        return code == 1500 ? 1 : code == 1501 ? -1 : 0;
    };
    const FormFrameState f = MainWindow();
    EXPECT_TRUE(VisibilityHolds(1500, f, 7, ask));
    EXPECT_TRUE(Visibility1Holds(1500, f, 7, ask));
    EXPECT_FALSE(VisibilityHolds(1501, f, 7, ask));  // answers of 0 and below hide
    EXPECT_FALSE(VisibilityHolds(1000, f, 7, ask));
    EXPECT_FALSE(VisibilityHolds(2001, f, 7, ask));  // outside the range: never asked
    EXPECT_FALSE(VisibilityHolds(1500, f, 7, {}));   // nobody to ask
    const std::vector<std::pair<int, int>> expected{{1500, 7}, {1500, 7}, {1501, 7}, {1000, 7}};
    EXPECT_EQ(asked, expected);
}

// The caption buttons of the production skin: icon, minimize, maximize, restore, close.
std::vector<CaptionButtonSpec> ProductionButtons() {
    auto button = [](int action, int align, int x, int visibility, int visibility1, int width, int frames) {
        CaptionButtonSpec b;
        b.Action = action;
        b.Align = align;
        b.Xcoord = x;
        b.Ycoord = 4;
        b.Visibility = visibility;
        b.Visibility1 = visibility1;
        b.PictureWidth = width;
        b.PictureHeight = 16;
        b.Frame = frames;
        return b;
    };
    return {button(3, 0, 6, 0, 0, 16, 1), button(2, 1, 64, 6, 8, 72, 4), button(1, 1, 44, 2, 8, 72, 4),
            button(1, 1, 44, 1, 8, 72, 4), button(0, 1, 24, 0, 0, 72, 4)};
}

TEST(CaptionButtonState, EachWindowShowsAndEnablesItsButtons) {
    struct Case {
        const char* window;
        FormFrameState form;
        const char* visible;  // icon, minimize, maximize, restore, close: 1 shown
        const char* enabled;
    };
    const Case cases[] = {
        {"main", MainWindow(), "11101", "11111"},
        {"main, maximized", Maximized(), "11011", "11111"},
        {"main, inactive", Inactive(), "11101", "11111"},
        {"settings (system menu only)", SystemMenuOnly(), "10001", "10001"},
        {"message box (dialog kind)", MessageBox(), "00001", "10001"},
        {"dialog frame, own form", DialogFrameForm(), "00001", "10001"},
        {"boxes, no system menu", BoxesWithoutSystemMenu(), "10100", "10001"},
        {"maximize box only", MaximizeBoxOnly(), "11101", "10111"},
    };
    const std::vector<CaptionButtonSpec> buttons = ProductionButtons();
    for (const Case& c : cases) {
        std::string visible, enabled;
        for (const CaptionButtonSpec& b : buttons) {
            CaptionButtonState s;
            const bool shown = UpdateCaptionButtonState(b, s, c.form);
            EXPECT_EQ(shown, s.Visible);
            visible += shown ? '1' : '0';
            enabled += s.Enabled ? '1' : '0';
        }
        EXPECT_EQ(visible, c.visible) << c.window;
        EXPECT_EQ(enabled, c.enabled) << c.window;
    }
}

TEST(CaptionButtonState, OnlyTheMaximizeAndMinimizeActionsChangeEnabling) {
    CaptionButtonSpec close;  // action 0, always shown
    CaptionButtonState state;
    state.Enabled = false;
    EXPECT_TRUE(UpdateCaptionButtonState(close, state, MainWindow()));
    EXPECT_FALSE(state.Enabled);

    CaptionButtonSpec menu;  // the system-menu actions hide on dialog-kind frames only
    for (int action : {3, 11, 12}) {
        menu.Action = action;
        EXPECT_TRUE(UpdateCaptionButtonState(menu, state, SystemMenuOnly())) << action;
        EXPECT_FALSE(UpdateCaptionButtonState(menu, state, DialogFrameForm())) << action;
    }
    menu.Action = 13;
    EXPECT_TRUE(UpdateCaptionButtonState(menu, state, DialogFrameForm()));
}

TEST(CaptionButtonFrame, NormalWhileActiveAndEnabledElseInactive) {
    struct Case {
        int frames;
        bool active, enabled;
        int expected;
    };
    const Case cases[] = {
        {4, true, true, 1}, {4, false, true, 4}, {4, true, false, 4}, {4, false, false, 4},
        {6, false, true, 4}, {3, false, false, 1},  // fewer than 4 frames: always the first
        {1, false, true, 1}, {0, false, false, 1},
    };
    for (const Case& c : cases) {
        CaptionButtonSpec b;
        b.Frame = c.frames;
        CaptionButtonState s;
        s.Enabled = c.enabled;
        EXPECT_EQ(CaptionButtonFrame(b, s, c.active), c.expected) << c.frames << " frames, active " << c.active
                                                                  << ", enabled " << c.enabled;
    }
}

TEST(CaptionButtonFrame, TheCaptionPaintsVisibleButtonsWithPicturesOutsideTheMenuBar) {
    CaptionButtonSpec b;
    b.PictureWidth = 64;
    b.PictureHeight = 16;
    CaptionButtonState s;
    s.Visible = true;
    EXPECT_TRUE(PaintsCaptionButton(b, s));
    b.Visibility = 100;
    EXPECT_FALSE(PaintsCaptionButton(b, s));
    b.Visibility = 0;
    s.Visible = false;
    EXPECT_FALSE(PaintsCaptionButton(b, s));
    s.Visible = true;
    b.PictureHeight = 0;
    EXPECT_FALSE(PaintsCaptionButton(b, s));
}

TEST(LayoutCaptionButtons, PositionsByAlign) {
    FormFrameState f = MainWindow();
    f.WindowWidth = 300;
    f.BorderTop = 24;
    f.BorderRight = 4;
    f.MenuBarHeight = 19;
    struct Case {
        int align, x, y, height, frames;
        SliceRect expected;
    };
    // Pictures 64 wide: 16 px a frame for 4 frames.
    const Case cases[] = {
        {0, 6, 4, 16, 4, {6, 4, 22, 20}},
        {1, 24, 4, 16, 4, {276, 4, 292, 20}},
        {2, 3, 5, 16, 4, {21, 5, 37, 21}},  // left of the title at 40: 40 - 16 - 3
        {8, 3, 5, 16, 4, {21, 5, 37, 21}},
        {3, 3, 5, 16, 4, {143, 5, 159, 21}},  // right of the title, which ends at 140
        {9, 3, 5, 16, 4, {143, 5, 159, 21}},
        // In the menu bar: inside the right border and the band's left cap (2), centred in the band.
        {100, 50, 0, 14, 4, {244, 26, 260, 40}},
        {100, 50, 0, 22, 4, {244, 23, 260, 45}},  // taller than the band: (19 - 22) / 2 rounds to -1
        {7, 30, 9, 16, 4, {0, 0, 16, 16}},  // an unknown Align sits at the window's corner
        {0, 6, 4, 16, 0, {6, 4, 70, 20}},   // a frame count of 0 counts as 1
    };
    for (const Case& c : cases) {
        CaptionButtonSpec b;
        b.Align = c.align;
        b.Xcoord = c.x;
        b.Ycoord = c.y;
        b.PictureWidth = 64;
        b.PictureHeight = c.height;
        b.Frame = c.frames;
        std::vector<CaptionButtonState> states(1);
        states[0].Visible = true;
        CaptionPlacement placement;
        placement.TitleTextRect = SliceRect{40, 4, 140, 18};
        LayoutCaptionButtons({b}, states, f, 2, placement);
        EXPECT_EQ(states[0].Rect, c.expected) << "Align " << c.align << ": " << Show(states[0].Rect);
    }
}

TEST(LayoutCaptionButtons, TheLargestLeftEdgeOfTheShownRightAlignedButtonsIsKept) {
    FormFrameState f = MainWindow();
    f.WindowWidth = 300;
    std::vector<CaptionButtonSpec> buttons = ProductionButtons();
    std::vector<CaptionButtonState> states(buttons.size());
    for (size_t i = 0; i < buttons.size(); ++i) UpdateCaptionButtonState(buttons[i], states[i], f);
    CaptionPlacement placement;
    LayoutCaptionButtons(buttons, states, f, 0, placement);
    EXPECT_EQ(placement.RightButtonsLeft, 300 - 24) << "the close button's, the largest";
    EXPECT_EQ(states[1].Rect, (SliceRect{236, 4, 254, 20}));
    EXPECT_EQ(states[2].Rect, (SliceRect{256, 4, 274, 20}));
    EXPECT_EQ(states[3].Rect, SliceRect{}) << "the hidden restore button is not placed";

    // The settings dialog shows close alone on the right.
    const FormFrameState settings = [] {
        FormFrameState s = SystemMenuOnly();
        s.WindowWidth = 200;
        return s;
    }();
    for (size_t i = 0; i < buttons.size(); ++i) UpdateCaptionButtonState(buttons[i], states[i], settings);
    LayoutCaptionButtons(buttons, states, settings, 0, placement);
    EXPECT_EQ(placement.RightButtonsLeft, 200 - 24);

    // Without right-aligned buttons the last value stands.
    for (CaptionButtonState& s : states) s.Visible = false;
    LayoutCaptionButtons(buttons, states, settings, 0, placement);
    EXPECT_EQ(placement.RightButtonsLeft, 200 - 24);
}

TEST(PlaceTitleText, ByAlignmentShiftAndClip) {
    // The caption between borders of 6 in a window 300 wide and a caption 24 high; text 100 x 14.
    const SliceRect caption{6, 0, 294, 24};
    TitleTextStyle left;
    left.TextShift = 22;
    left.TextRightClip = 62;
    TitleTextStyle centred = left, right = left, other = left, vert = left, down = left;
    centred.TextAlignment = 1;
    right.TextAlignment = 2;
    other.TextAlignment = 3;
    vert.TextShiftVert = 5;
    down.TextShiftVert = -5;
    FormFrameState popup = MainWindow();
    popup.WindowStyle = kStylePopup;
    FormFrameState rtl = MainWindow();
    rtl.RightToLeft = true;
    struct Case {
        const char* what;
        TitleTextStyle style;
        FormFrameState form;
        int textWidth;
        int rightButtonsLeft;
        SliceRect expected;
    };
    const Case cases[] = {
        {"left, at TextShift", left, MainWindow(), 100, 0, {28, 5, 128, 19}},
        {"centred in the free width", centred, MainWindow(), 100, 0, {100, 5, 200, 19}},
        {"right, TextRightClip from the right", right, MainWindow(), 100, 0, {132, 5, 232, 19}},
        {"unknown alignment: no shift", other, MainWindow(), 100, 0, {6, 5, 106, 19}},
        {"right-to-left: right whatever the alignment", left, rtl, 100, 0, {132, 5, 232, 19}},
        {"half of TextShiftVert", vert, MainWindow(), 100, 0, {28, 7, 128, 21}},
        {"negative TextShiftVert halves toward zero", down, MainWindow(), 100, 0, {28, 3, 128, 17}},
        {"long text clipped at TextRightClip", left, MainWindow(), 300, 236, {28, 5, 232, 19}},
        // Popup windows clip 5 px before the right-aligned buttons instead.
        {"popup, long text", left, popup, 300, 250, {28, 5, 245, 19}},
        {"popup, text short of the buttons", left, popup, 212, 250, {28, 5, 240, 19}},
        {"popup before any button layout", left, popup, 300, 0, {28, 5, 232, 19}},
        {"popup, buttons at 5 or less", left, popup, 300, 5, {28, 5, 232, 19}},
        {"dialog frame: 16 px further left", left, DialogFrameForm(), 100, 0, {12, 5, 128, 19}},
        {"dialog frame, centred: not moved", centred, DialogFrameForm(), 100, 0, {100, 5, 200, 19}},
        {"message box, long text: clipped before close", left, MessageBox(), 300, 276, {12, 5, 271, 19}},
    };
    for (const Case& c : cases) {
        CaptionPlacement placement;
        placement.RightButtonsLeft = c.rightButtonsLeft;
        const TitleTextPlacement p = PlaceTitleText(caption, c.textWidth, 14, c.style, c.form, placement);
        EXPECT_EQ(p.TitleTextRect, c.expected) << c.what << ": " << Show(p.TitleTextRect);
        EXPECT_EQ(placement.TitleTextRect, p.TitleTextRect) << c.what;
        EXPECT_EQ(p.TextRect, p.TitleTextRect) << c.what << ": no background caps";
        EXPECT_EQ(p.BackRect, SliceRect{}) << c.what << ": no background picture";
        EXPECT_EQ(p.DrawFlags, c.form.RightToLeft ? 0x8022u : 0x8020u) << c.what;
    }
}

TEST(PlaceTitleText, TheBackgroundCapsWidenTheTitleAndFrameTheText) {
    TitleTextStyle style;
    style.TextShift = 22;
    style.TextRightClip = 62;
    style.TXTBackleft = 4;
    style.TXTBackRight = 6;
    style.HasTextBack = true;
    FormFrameState inactive = Inactive();
    CaptionPlacement placement;
    const TitleTextPlacement p = PlaceTitleText(SliceRect{6, 0, 294, 25}, 100, 14, style, inactive, placement);
    EXPECT_EQ(p.TitleTextRect, (SliceRect{28, 5, 138, 19})) << Show(p.TitleTextRect);  // (25 - 14) / 2 = 5
    EXPECT_EQ(p.BackRect, (SliceRect{28, 0, 138, 25})) << "the caption's full height";
    EXPECT_EQ(p.TextRect, (SliceRect{32, 5, 132, 19}));
    EXPECT_EQ(p.BackFrame, 2);
    EXPECT_EQ(PlaceTitleText(SliceRect{6, 0, 294, 25}, 100, 14, style, MainWindow(), placement).BackFrame, 1);
}

TEST(HandleNCCalcSize, TheClientIsTheWindowLessBordersCaptionAndMenuBand) {
    FormFrameState f = MainWindow();
    f.BorderLeft = 6;
    f.BorderTop = 20;
    f.BorderRight = 7;
    f.BorderBottom = 5;
    f.MenuBarHeight = 19;
    auto with = [&](auto change) {
        FormFrameState g = f;
        change(g);
        return g;
    };
    using K = NCCalcSizeAnswer;
    struct Case {
        const char* what;
        bool rectsValid;
        FormFrameState form;
        K::Kind action;
        SliceRect client;
        uint32_t result;
    };
    const Case cases[] = {
        {"skinned", true, f, K::Skinned, {106, 89, 493, 345}, 0x400},
        {"maximized (not an MDI child)", true, with([](FormFrameState& g) { g.WindowState = wsMaximized; }), K::Skinned,
         {106, 89, 493, 345}, 0x400},
        {"MDI child, normal", true, with([](FormFrameState& g) { g.FormKind = fkMdiChild; }), K::Skinned,
         {106, 89, 493, 345}, 0x400},
        {"wParam 0", false, f, K::Default, {}, 0},
        {"no caption", true, with([](FormFrameState& g) { g.BorderKind = bkNoCaption; }), K::CopyFirst, {}, 0x400},
        {"MDI child, maximized", true, with([](FormFrameState& g) {
             g.FormKind = fkMdiChild;
             g.WindowState = wsMaximized;
         }),
         K::CopyFirst, {}, 0x400},
        {"MDI child, minimized", true, with([](FormFrameState& g) {
             g.FormKind = fkMdiChild;
             g.WindowState = wsMinimized;
         }),
         K::CopyFirst, {}, 0x400},
    };
    for (const Case& c : cases) {
        const NCCalcSizeAnswer a = HandleNCCalcSize(c.rectsValid, 100, 50, 400, 300, c.form);
        EXPECT_EQ(a.Action, c.action) << c.what;
        EXPECT_EQ(a.Client, c.client) << c.what << ": " << Show(a.Client);
        EXPECT_EQ(a.Result, c.result) << c.what;
    }
}

TEST(BorderPieces, FrameLayoutAndCentreOfEachPiece) {
    struct Case {
        TBorderPiece piece;
        int frames, tile;
        bool active;
        int frame;
        FrameLayout layout;
        bool tiled;
    };
    const Case cases[] = {
        {bpLeft, 2, 1, true, 1, FrameLayout::SideBySide, false},
        {bpLeft, 2, 1, false, 2, FrameLayout::SideBySide, false},
        {bpRight, 2, 0, false, 2, FrameLayout::SideBySide, true},
        {bpTop, 2, 1, false, 2, FrameLayout::Stacked, false},
        {bpBottom, 2, 0, true, 1, FrameLayout::Stacked, true},
        {bpBottom, 3, 1, false, 2, FrameLayout::Stacked, false},
        {bpTop, 1, 1, false, 1, FrameLayout::Stacked, false},  // one frame: frame 1 when inactive too
        {bpLeft, 0, 1, false, 1, FrameLayout::SideBySide, false},  // no frame count: as one
        {bpRight, -3, 1, false, 1, FrameLayout::SideBySide, false},
    };
    for (const Case& c : cases) {
        const BorderPieceLook look = BorderPieceLookOf(c.piece, c.frames, c.tile, c.active);
        EXPECT_EQ(look.FrameIndex, c.frame) << "piece " << c.piece << ", " << c.frames << " frames, active " << c.active;
        EXPECT_EQ(look.Layout, c.layout) << "piece " << c.piece;
        EXPECT_EQ(look.TileCentre, c.tiled) << "piece " << c.piece << ", Tile " << c.tile;
    }
}

FormFrameState Sized(FormFrameState f) {
    f.WindowWidth = 300;
    f.WindowHeight = 200;
    f.BorderLeft = 6;
    f.BorderTop = 20;
    f.BorderRight = 7;
    f.BorderBottom = 5;
    return f;
}

TEST(BorderPieces, TheSidesBottomCaptionAndMenuBandOfANormalWindow) {
    FormFrameState f = Sized(MainWindow());
    f.MenuBarHeight = 19;
    f.HasMenuBar = true;
    const NonClientPlan plan = PlanNonClient(f);
    const std::vector<PlacedPiece> borders{
        {bpLeft, {0, 0, 6, 200}}, {bpRight, {293, 0, 300, 200}}, {bpBottom, {6, 195, 293, 200}}};
    EXPECT_EQ(plan.Borders, borders);
    EXPECT_EQ(plan.CaptionBuffer, (SliceRect{0, 0, 300, 20}));
    EXPECT_FALSE(plan.CaptionOnButtonFace);
    EXPECT_EQ(plan.CaptionRect, (SliceRect{6, 0, 293, 20}));
    EXPECT_EQ(plan.Band, MenuBand::MenuBar);
    EXPECT_EQ(plan.BandRect, (SliceRect{6, 20, 293, 39}));

    f.HasMenuBar = false;
    EXPECT_EQ(PlanNonClient(f).Band, MenuBand::Brush) << "a band without a menu bar takes the background brush";
    f.MenuBarHeight = 0;
    EXPECT_EQ(PlanNonClient(f).Band, MenuBand::None);
}

TEST(BorderPieces, AMinimizedWindowPaintsOnlyItsCaptionOnButtonFace) {
    FormFrameState f = Sized(MainWindow());
    f.WindowState = wsMinimized;
    f.MenuBarHeight = 19;
    f.HasMenuBar = true;
    const NonClientPlan plan = PlanNonClient(f);
    EXPECT_TRUE(plan.Borders.empty());
    EXPECT_EQ(plan.CaptionBuffer, (SliceRect{0, 0, 300, 200}));
    EXPECT_TRUE(plan.CaptionOnButtonFace);
    EXPECT_EQ(plan.CaptionRect, (SliceRect{0, 0, 300, 20})) << "the caption spans the borders";
    EXPECT_EQ(plan.Band, MenuBand::None);
}

TEST(BorderPieces, WhoPaintsANonClientArea) {
    FormFrameState mdiChild = MainWindow();
    mdiChild.FormKind = fkMdiChild;
    FormFrameState maxChild = mdiChild, minChild = mdiChild;
    maxChild.WindowState = wsMaximized;
    minChild.WindowState = wsMinimized;
    FormFrameState noCaption = MainWindow();
    noCaption.BorderKind = bkNoCaption;
    struct Case {
        const char* what;
        FormFrameState form;
        int skinState;
        bool paints;
    };
    const Case cases[] = {
        {"skinned", MainWindow(), 1, true},         {"re-colouring", MainWindow(), 3, true},
        {"attached, not yet skinned", MainWindow(), 0, false}, {"first sizing", MainWindow(), 5, false},
        {"destroyed", MainWindow(), 6, false},      {"no caption", noCaption, 1, false},
        {"MDI child", mdiChild, 1, true},           {"maximized MDI child", maxChild, 1, false},
        {"minimized MDI child", minChild, 1, true}, {"maximized window", Maximized(), 1, true},
    };
    for (const Case& c : cases) EXPECT_EQ(PaintsNonClient(c.form, c.skinState), c.paints) << c.what;
}

TEST(CaptionStyle, TheSystemMenuStyleOrTheCaptionComesOff) {
    const uint32_t style = 0x14CF0000;  // WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS
    const uint8_t strip = kAllIcons | fiStripCaption;
    EXPECT_EQ(SysMenuStyle(style, kAllIcons, true, true), style & ~0x80000u);
    EXPECT_EQ(SysMenuStyle(style & ~0x80000u, kAllIcons, false, true), style);
    EXPECT_EQ(SysMenuStyle(style & ~0x80000u, kAllIcons, false, false), style & ~0x80000u)
        << "given back only to a window with a system menu";
    EXPECT_EQ(SysMenuStyle(style, strip, true, true), std::nullopt) << "a stripped caption has no system menu to hide";

    EXPECT_EQ(CaptionStyle(style, strip, false), style & ~0xC00000u);
    EXPECT_EQ(CaptionStyle(style & ~0xC00000u, strip, true), style);
    EXPECT_EQ(CaptionStyle(style & ~0x400000u, strip, true), style) << "both caption bits come back";
    EXPECT_EQ(CaptionStyle(style, kAllIcons, false), std::nullopt) << "only frames that strip the caption";

    FormFrameState maxChild = MainWindow();
    maxChild.FormKind = fkMdiChild;
    maxChild.WindowState = wsMaximized;
    FormFrameState minimized = MainWindow();
    minimized.WindowState = wsMinimized;
    EXPECT_TRUE(WantsNativeCaption(minimized));
    EXPECT_TRUE(WantsNativeCaption(maxChild));
    EXPECT_FALSE(WantsNativeCaption(MainWindow()));
    EXPECT_FALSE(WantsNativeCaption(Maximized()));
}

TEST(BorderSizes, AThicknessIsThePictureAcrossTheBorderOverItsFrames) {
    const BorderPictureSize left{12, 40, 2}, top{60, 40, 2}, right{14, 40, 2}, bottom{60, 10, 2};
    EXPECT_EQ(ComputeBorderSizes(left, top, right, bottom, bkSizable), (BorderSizes{6, 20, 7, 5}));
    EXPECT_EQ(ComputeBorderSizes(left, top, right, bottom, bkDialog), (BorderSizes{6, 20, 7, 5}));
    EXPECT_EQ(ComputeBorderSizes(left, top, right, bottom, bkNoCaption), (BorderSizes{}));
    const BorderPictureSize none{12, 40, 0}, negative{60, 10, -2}, one{60, 40, 1};
    EXPECT_EQ(ComputeBorderSizes(none, one, right, negative, bkSingle), (BorderSizes{12, 40, 7, 10}))
        << "frame counts below 1 count as 1";
}

}  // namespace
}  // namespace skin

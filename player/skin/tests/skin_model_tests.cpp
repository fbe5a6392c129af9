// The skin model as the real streaming path builds it: the flat-colour skins (every expected
// value comes from their generated table), the model-edge skins that probe the corrections,
// and damaged pictures that cost only themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flat_skin_colours.h"
#include "skin_data_fixture.h"

namespace skin::testing {
namespace {

using flatskin::zone::kBottom;
using flatskin::zone::kCentre;
using flatskin::zone::kLeft;
using flatskin::zone::kTop;
using flatskin::zone::kTopLeft;
using flatskin::zone::kTopRight;

constexpr uint32_t kMagenta = 0xFF00FF;

// a x weight + b x (parts - weight) per channel, rounded: the blend the toolbar's ends use.
uint32_t Mix(uint32_t a, uint32_t b, uint32_t weight, uint32_t parts) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t ca = a >> shift & 0xFF, cb = b >> shift & 0xFF;
        out |= ((ca * weight + cb * (parts - weight) + parts / 2) / parts) << shift;
    }
    return out;
}

class FlatSkinModel : public SkinDataTest {};

TEST_F(FlatSkinModel, BorderPiecesCaptionAndColoursComeFromTheFrameSkin) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    TSkinData& d = *s.data;
    EXPECT_FALSE(d.NoSkin);
    EXPECT_TRUE(d.Active());

    struct Piece {
        TDataSkinBorder* piece;
        const flatskin::Object& flat;
        int left, top, right, bottom, trans;
    };
    const Piece pieces[] = {
        {d.Left.get(), flatskin::kLeft, 0, 20, 0, 3, 1},
        {d.Right.get(), flatskin::kRight, 0, 20, 0, 3, 1},
        {d.Top.get(), flatskin::kTop, 6, 0, 3, 0, 0},
        {d.Bottom.get(), flatskin::kBottom, 6, 0, 3, 0, 0},
    };
    for (const Piece& p : pieces) {
        SCOPED_TRACE(p.piece->Name);
        const int width = p.flat.stacked ? p.flat.frameWidth : p.flat.frameWidth * p.flat.frames;
        const int height = p.flat.stacked ? p.flat.frameHeight * p.flat.frames : p.flat.frameHeight;
        EXPECT_EQ(p.piece->Image.Width(), width);
        EXPECT_EQ(p.piece->Image.Height(), height);
        EXPECT_EQ(p.piece->Frame, p.flat.frames);
        EXPECT_EQ(p.piece->LeftWidth, p.left);
        EXPECT_EQ(p.piece->TopHeight, p.top);
        EXPECT_EQ(p.piece->RightWidth, p.right);
        EXPECT_EQ(p.piece->BottomHeight, p.bottom);
        EXPECT_EQ(p.piece->Tile, 1);
        EXPECT_EQ(p.piece->Trans, p.trans);
    }
    // Top frame 2 starts below frame 1 (stacked); the left block of the Left piece is magenta.
    EXPECT_EQ(PixelAt(d.Top->Image, 20, 20 + 10), flatskin::kTopColours[1][kCentre]);
    EXPECT_EQ(PixelAt(d.Left->Image, 1, 0), kMagenta);

    TDataSkinTitle& t = *d.Title;
    EXPECT_EQ(t.Frame, 2);
    EXPECT_EQ(t.Image.Height(), flatskin::kTextBack.frameHeight * 2);
    EXPECT_EQ(t.LeftWidth, 22);
    EXPECT_EQ(t.TopHeight, 0);
    EXPECT_EQ(t.RightWidth, 62);
    EXPECT_EQ(t.FontHeight, 12);
    EXPECT_EQ(t.Textbackground, 1);
    EXPECT_EQ(t.TXTBackleft, flatskin::kTextBack.left);
    EXPECT_EQ(t.TXTBackRight, flatskin::kTextBack.right);
    EXPECT_EQ(t.ActiveTextColour, 0x1FFFFFFF);  // no ActiveTextR/G/B keys
    EXPECT_EQ(t.InActiveTextColour, 0x1FFFFFFF);

    ASSERT_NE(d.MenuBar, nullptr);
    EXPECT_EQ(d.MenuBar->Frame, 2);
    EXPECT_EQ(d.MenuBar->Tile, 0);
    EXPECT_EQ(d.MenuBar->LeftWidth, flatskin::kMenuBar.left);
    EXPECT_EQ(d.MenuBar->RightWidth, flatskin::kMenuBar.right);

    const SkinColours& c = d.Colours;
    const uint32_t colours[][2] = {
        {static_cast<uint32_t>(c.WindowText), flatskin::kColourWindowText},
        {static_cast<uint32_t>(c.ButtonText), flatskin::kColourButtonText},
        {static_cast<uint32_t>(c.ButtonFace), flatskin::kColourButtonFace},
        {static_cast<uint32_t>(c.ButtonHilight), flatskin::kColourButtonHilight},
        {static_cast<uint32_t>(c.Scrollbar), flatskin::kColourScrollbar},
        {static_cast<uint32_t>(c.Buttonlight), flatskin::kColourButtonlight},
        {static_cast<uint32_t>(c.HilightText), flatskin::kColourHilightText},
        {static_cast<uint32_t>(c.ButtonShadow), flatskin::kColourButtonShadow},
        {static_cast<uint32_t>(c.Hilight), flatskin::kColourHilight},
        {static_cast<uint32_t>(c.ButtonDkShadow), flatskin::kColourButtonDkShadow},
        {static_cast<uint32_t>(c.Menubar), flatskin::kColourMenubar},
        {static_cast<uint32_t>(c.MenuBarText), flatskin::kColourMenuBarText},
        {static_cast<uint32_t>(c.Menu), flatskin::kColourMenu},
        {static_cast<uint32_t>(c.TitleTextActive), flatskin::kColourTitleTextActive},
        {static_cast<uint32_t>(c.MenuText), flatskin::kColourMenuText},
        {static_cast<uint32_t>(c.TitleTextNoActive), flatskin::kColourTitleTextNoActive},
    };
    for (size_t i = 0; i < std::size(colours); ++i) EXPECT_EQ(colours[i][0], colours[i][1]) << "colour " << i;
    EXPECT_TRUE(d.ColourList.empty());
    for (tk::TColor custom : d.CustomColours) EXPECT_EQ(custom, 0xFFFFFF);

    // Without [Buttons] the second text colours fall back to ButtonText.
    EXPECT_FALSE(d.Buttons->HasNormalColour2);
    EXPECT_EQ(static_cast<uint32_t>(d.Buttons->NormalColour2), flatskin::kColourButtonText);
}

TEST_F(FlatSkinModel, CaptionButtonsInIniOrderThenTheMdiButtons) {
    StreamedSkin s = StreamTestSkin("FLAT_FRAME");
    const auto& buttons = s.data->CaptionButtons;
    struct Expected {
        const char* name;
        int action, xcoord, visibility, visibility1, frame, width;
    };
    const Expected expected[] = {
        {"BUTTON.ICON", 3, 4, 0, 0, 6, 0},  // no picture: frame count derived as 6
        {"BUTTON.MINIMIZE", 2, 58, 6, 8, 4, flatskin::kMinimize.frameWidth * 4},
        {"BUTTON.MAXIMIZE", 1, 40, 2, 8, 4, flatskin::kMaximize.frameWidth * 4},
        {"BUTTON.RESTORE", 1, 40, 1, 8, 4, flatskin::kRestore.frameWidth * 4},
        {"BUTTON.CLOSE", 0, 22, 0, 0, 4, flatskin::kClose.frameWidth * 4},
    };
    ASSERT_EQ(buttons.size(), std::size(expected) + 3);
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        TDataSkinSysButton& b = *buttons[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(b.Name, e.name);
        EXPECT_EQ(b.Action, e.action);
        EXPECT_EQ(b.Xcoord, e.xcoord);
        EXPECT_EQ(b.Visibility, e.visibility);
        EXPECT_EQ(b.Visibility1, e.visibility1);
        EXPECT_EQ(b.Frame, e.frame);
        EXPECT_EQ(b.Image.Width(), e.width);
        EXPECT_EQ(b.CombineOp, -1);
    }
    EXPECT_EQ(buttons[4]->Align, 1);
    EXPECT_EQ(buttons[4]->Ycoord, 3);
    EXPECT_EQ(PixelAt(buttons[4]->Image, 16 * 2 + 8, 7), flatskin::kCloseColours[2][kCentre]);
    for (int i = 0; i < 3; ++i) {
        TDataSkinSysButton& mdi = *buttons[std::size(expected) + static_cast<size_t>(i)];
        EXPECT_EQ(mdi.Action, 7 + i);
        EXPECT_EQ(mdi.Align, 100);
        EXPECT_EQ(mdi.Visibility, 100);
        EXPECT_EQ(mdi.Visibility1, 100);
        EXPECT_EQ(mdi.Frame, 4);
        EXPECT_TRUE(mdi.Image.Empty());  // the frame skin has no [MDICONTROLS]
    }
}

TEST_F(FlatSkinModel, MdiButtonsAreCutFromTheTwelveColumnStrip) {
    StreamedSkin s = StreamTestSkin("FLAT_OTHER");
    const auto& buttons = s.data->CaptionButtons;
    ASSERT_GE(buttons.size(), 3u);
    const int a = flatskin::kMdiControls.frameWidth;
    for (int i = 0; i < 3; ++i) {
        TDataSkinSysButton& mdi = *buttons[buttons.size() - 3 + static_cast<size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(mdi.Image.Width(), 4 * a);
        EXPECT_EQ(mdi.Image.Height(), flatskin::kMdiControls.frameHeight);
        EXPECT_EQ(mdi.Xcoord, (a + 4) * (3 - i));
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(PixelAt(mdi.Image, f * a + a / 2, a / 2), flatskin::kMdiControlsColours[4 * i + f][kCentre]);
    }
}

TEST_F(FlatSkinModel, FrameCountsAreFixedWhateverTheIniSays) {
    StreamedSkin buttons = StreamTestSkin("FLAT_BUTTONS");
    EXPECT_EQ(buttons.data->Buttons->Frame, 5);
    EXPECT_EQ(buttons.data->Buttons->CheckButtonFrame, 4);
    EXPECT_EQ(buttons.data->Buttons->RadioButtonFrame, 4);
    EXPECT_TRUE(buttons.data->Buttons->HasNormalColour2);
    EXPECT_TRUE(buttons.data->Buttons->HasPressedColour2);
    EXPECT_EQ(static_cast<uint32_t>(buttons.data->Buttons->MouseOverColour2), flatskin::kButtonsMouseOverColour2);
    EXPECT_EQ(buttons.data->Buttons->LeftWidth, flatskin::kButtons.left);
    EXPECT_EQ(buttons.data->Buttons->Trans, 1);
    buttons = {};

    // Without frame keys the glyph strips' counts come from their widths (13-pixel frames).
    StreamedSkin remap = StreamTestSkin("FLAT_BUTTONS_REMAP");
    EXPECT_EQ(remap.data->Buttons->CheckButtonFrame, 12);
    EXPECT_EQ(remap.data->Buttons->RadioButtonFrame, 8);
    remap = {};

    StreamedSkin scroll = StreamTestSkin("FLAT_SCROLL");
    EXPECT_EQ(scroll.data->Scrollbar->Frame, 23);
    EXPECT_EQ(scroll.data->HorzScroll->Frame, 4);
    EXPECT_EQ(scroll.data->VertScroll->Frame, 4);
    EXPECT_EQ(scroll.data->HorzScrollThumb->Frame, 3);
    EXPECT_EQ(scroll.data->Scrollbar->Trans, 1);
    scroll = {};

    StreamedSkin tabs = StreamTestSkin("FLAT_TABS");
    ASSERT_NE(tabs.data->Tabs, nullptr);
    EXPECT_EQ(tabs.data->Tabs->Frame, 5);
    EXPECT_EQ(tabs.data->Tabs->Image2.Width(), flatskin::kTabsBorder.frameWidth);  // "Border"
    EXPECT_EQ(static_cast<uint32_t>(tabs.data->Tabs->NormalColour2), flatskin::kTabsNormalColour2);
    EXPECT_EQ(tabs.data->StatusBarEdges->Frame, 3);
    EXPECT_EQ(tabs.data->ExtraImages->Frame, 5);
    EXPECT_EQ(tabs.data->TabPane, nullptr);
    tabs = {};

    StreamedSkin other = StreamTestSkin("FLAT_OTHER");
    TSkinData& o = *other.data;
    ASSERT_NE(o.Progress, nullptr);
    EXPECT_EQ(o.Progress->Frame, 2);  // Style 0
    EXPECT_EQ(o.Headerbar->Frame, 5);
    EXPECT_EQ(o.UpDownVert->Frame, 8);
    EXPECT_EQ(o.UpDownVert->Image2.Width(), flatskin::kUpDownVertGlyph.frameWidth * 8);  // "GlyphImage"
    EXPECT_EQ(o.UpDownHorz->Frame, 8);
    for (TDataSkinObject* thumb :
         {o.ThumbHorz.get(), o.ThumbVert.get(), o.ThumbLeft.get(), o.ThumbRight.get(), o.ThumbUp.get(), o.ThumbDown.get()})
        EXPECT_EQ(thumb->Frame, 5) << thumb->Name;
    EXPECT_EQ(o.Track->Name, "Track");  // the skin's own track, not the resource
    EXPECT_EQ(o.Track->Image.Width(), flatskin::kTrack.frameWidth);
    EXPECT_EQ(o.TrackVert->Image.Height(), flatskin::kTrackVert.frameHeight);
    other = {};

    StreamedSkin chunk = StreamTestSkin("FLAT_OTHER_CHUNK");
    EXPECT_EQ(chunk.data->Progress->Frame, 1);  // Style 1
    EXPECT_EQ(chunk.data->ProgressChunk->Frame, 1);
}

TEST_F(FlatSkinModel, ComboStripComposesTheSunkenEdgeAndTheButton) {
    StreamedSkin s = StreamTestSkin("FLAT_OTHER");
    TSkinData& d = *s.data;
    ASSERT_NE(d.ComboButton, nullptr);
    ASSERT_NE(d.SunkEdge, nullptr);
    const int b = GetSystemMetrics(SM_CXHSCROLL) + 2;
    tk::TBitmap& strip = d.ComboButton->Image;
    ASSERT_EQ(strip.Width(), 50 * 4);
    ASSERT_EQ(strip.Height(), 21);
    EXPECT_EQ(d.ComboButton->Style, 2);
    EXPECT_EQ(d.ComboButton->LeftWidth, 2);
    EXPECT_EQ(d.ComboButton->RightWidth, b + 2);
    EXPECT_EQ(d.ComboButton->TopHeight, flatskin::kSunkEdge.top);
    EXPECT_EQ(d.ComboButton->Frame, 4);
    for (int f = 1; f <= 4; ++f) {
        SCOPED_TRACE(f);
        const int x0 = 50 * (f - 1);
        EXPECT_EQ(PixelAt(strip, x0 + 0, 10), flatskin::kSunkEdgeColours[f - 1][kLeft]);
        EXPECT_EQ(PixelAt(strip, x0 + 10, 0), flatskin::kSunkEdgeColours[f - 1][kTop]);
        EXPECT_EQ(PixelAt(strip, x0 + 10, 19), flatskin::kSunkEdgeColours[f - 1][kBottom]);
        EXPECT_EQ(PixelAt(strip, x0 + 10, 10), kMagenta);          // the interior
        EXPECT_EQ(PixelAt(strip, x0 + 48 - b, 17), kMagenta);      // its last pixel
        EXPECT_EQ(PixelAt(strip, x0 + 50 - b / 2, 10), flatskin::kComboButtonColours[f - 1][kCentre]);
        EXPECT_EQ(PixelAt(strip, x0 + 50 - b, 0), flatskin::kComboButtonColours[f - 1][kTopLeft]);
    }
    // The sunken edge becomes the mirrored strip.
    tk::TBitmap& mirrored = d.SunkEdge->Image;
    ASSERT_EQ(mirrored.Width(), 200);
    for (int x : {0, 1, 10, 25, 60, 199}) EXPECT_EQ(PixelAt(mirrored, x, 10), PixelAt(strip, 199 - x, 10)) << x;
    EXPECT_EQ(d.SunkEdge->LeftWidth, b + 2);
    EXPECT_EQ(d.SunkEdge->RightWidth, 2);

    // The arrow squares: 17 x 17 from (i + 1) * 50 - 19, 2 of each cell.
    ASSERT_NE(d.ComboxArrow, nullptr);
    EXPECT_EQ(d.ComboxArrow->Frame, 4);
    ASSERT_EQ(d.ComboxArrow->Image.Width(), 4 * 17);
    ASSERT_EQ(d.ComboxArrow->Image.Height(), 17);
    for (int i = 0; i < 4; ++i)
        for (int x : {0, 8, 16})
            EXPECT_EQ(PixelAt(d.ComboxArrow->Image, 17 * i + x, 8), PixelAt(strip, (i + 1) * 50 - 19 + x, 10))
                << i << "," << x;
    EXPECT_EQ(PixelAt(d.ComboxArrow->Image, 17 * 2 + 8, 8), flatskin::kComboButtonColours[2][kCentre]);
}

TEST_F(FlatSkinModel, BackgroundColourToolbarAndBrush) {
    StreamedSkin s = StreamTestSkin("FLAT_OTHER");
    TSkinData& d = *s.data;
    // The Top piece's pixel at (width div 3, (height div frames) div 3): its first frame's centre.
    EXPECT_EQ(static_cast<uint32_t>(d.BackgroundColour), flatskin::kTopColours[0][kCentre]);

    ASSERT_NE(d.Toolbar, nullptr);
    EXPECT_EQ(d.Toolbar->Name, "Toolbar");
    EXPECT_EQ(d.Toolbar->Frame, 1);
    ASSERT_EQ(d.Toolbar->Image.Width(), 10);
    ASSERT_EQ(d.Toolbar->Image.Height(), 40);
    // 15 % ButtonFace, 85 % white at the top.
    EXPECT_EQ(PixelAt(d.Toolbar->Image, 5, 0), Mix(flatskin::kColourButtonFace, 0xFFFFFF, 150, 1000));
    // No channel of the flat background reaches 160, so its saturation value is 200 (above
    // 110): the end is the background lightened, (5625 - 25 x 200) div 140 + 50 = 54 %.
    const uint32_t end = Mix(flatskin::kTopColours[0][kCentre], 0xFFFFFF, 54, 100);
    const uint32_t bottom = PixelAt(d.Toolbar->Image, 5, 39);
    for (int shift = 0; shift < 24; shift += 8)  // a falling channel ends one step short
        EXPECT_LE(std::abs(static_cast<int>(bottom >> shift & 0xFF) - static_cast<int>(end >> shift & 0xFF)), 1)
            << shift;

    LOGBRUSH brush{};
    ASSERT_EQ(GetObject(d.BackgroundBrush, sizeof brush, &brush), static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.lbColor, flatskin::kColourButtonFace);
}

// ---- the model-edge skins ------------------------------------------------------------------
class ModelEdge : public SkinDataTest {};

TEST_F(ModelEdge, CorrectionsOfTheReadValues) {
    StreamedSkin s = StreamTestSkin("MODEL_EDGE");
    TSkinData& d = *s.data;
    EXPECT_FALSE(d.NoSkin);
    ASSERT_NE(d.TabPane, nullptr);
    EXPECT_EQ(d.TabPane->LeftWidth, 4);  // LeftWidth=9
    EXPECT_EQ(d.Buttons->Tile, 0);       // Tile=2
    EXPECT_EQ(d.Left->Tile, 1);          // LeftStretch=2
    ASSERT_NE(d.Progress, nullptr);
    EXPECT_EQ(d.Progress->Tile, 1);      // Tile=2
    // TopFrame=0 counts as one frame: the background pixel is a third down the whole picture.
    EXPECT_EQ(d.Top->Frame, 1);
    EXPECT_EQ(static_cast<uint32_t>(d.BackgroundColour),
              PixelAt(d.Top->Image, d.Top->Image.Width() / 3, d.Top->Image.Height() / 3));
    EXPECT_EQ(static_cast<uint32_t>(d.BackgroundColour), flatskin::kTopColours[0][kCentre]);
}

TEST_F(ModelEdge, CaptionButtonFilterFramesAndPictures) {
    StreamedSkin s = StreamTestSkin("MODEL_EDGE");
    const auto& buttons = s.data->CaptionButtons;
    std::vector<std::string> names;
    for (const auto& b : buttons) names.push_back(b->Name);
    const std::vector<std::string> expected = {"BUTTON.KEPT",  "BUTTON.THREE", "BUTTON.SIX",  "BUTTON.ICON",
                                               "BUTTON.UPPER", "MDICONTROLS",  "MDICONTROLS", "MDICONTROLS"};
    ASSERT_EQ(names, expected);  // BUTTON.DROPPED: Action -1 without Visibility
    EXPECT_EQ(buttons[0]->Visibility1, -1);  // Action -1: hidden in the second state by default
    EXPECT_EQ(buttons[0]->Frame, 4);
    EXPECT_EQ(buttons[1]->Frame, 3);  // 60 x 20
    EXPECT_FALSE(buttons[1]->Image.Empty());
    EXPECT_EQ(buttons[2]->Frame, 6);  // 80 x 20
    EXPECT_EQ(buttons[3]->Frame, 3);  // Action 3 without "frame": derived, and the picture dropped
    EXPECT_TRUE(buttons[3]->Image.Empty());
    EXPECT_EQ(buttons[4]->Frame, 4);
    EXPECT_TRUE(buttons[4]->Image.Empty());  // close.BMP: the extension's case matters
}

TEST_F(ModelEdge, UnreadablePicturesAreEmptyAndTheRestLoads) {
    StreamedSkin s = StreamTestSkin("MODEL_EDGE");
    TSkinData& d = *s.data;
    ASSERT_NE(d.MenuItem, nullptr);  // "menuitem.bmp ; note": the note is part of the value
    EXPECT_TRUE(d.MenuItem->Image.Empty());
    // A bad header, RLE, 16 bits per pixel, rows missing: each object stays, without picture.
    for (TDataSkinObject* o : {d.ExtraImages.get(), d.Scrollbar.get(), d.HorzScroll.get(), d.VertScroll.get()}) {
        ASSERT_NE(o, nullptr);
        EXPECT_TRUE(o->Image.Empty()) << o->Name;
    }
    EXPECT_FALSE(d.Left->Image.Empty());
    EXPECT_FALSE(d.Buttons->Image.Empty());
    EXPECT_FALSE(d.TabPane->Image.Empty());
    EXPECT_EQ(d.Buttons->Frame, 5);

    // No [Track] or [TRACKVERT]: the program's own resources.
    ASSERT_NE(d.Track, nullptr);
    EXPECT_EQ(d.Track->Name, "TRACK");
    EXPECT_EQ(d.Track->Image.Width(), 16);
    EXPECT_EQ(d.Track->Image.Height(), 4);
    EXPECT_EQ(d.Track->LeftWidth, 3);
    EXPECT_EQ(d.Track->BottomHeight, 3);
    EXPECT_EQ(d.Track->Frame, 1);
    EXPECT_EQ(d.TrackVert->Image.Width(), 4);
    EXPECT_EQ(d.TrackVert->Image.Height(), 16);
}

TEST_F(ModelEdge, ColourTexts) {
    StreamedSkin s = StreamTestSkin("MODEL_EDGE");
    const SkinColours& c = s.data->Colours;
    EXPECT_EQ(c.WindowText, 0x0080FF);   // 255 128 0
    EXPECT_EQ(c.ButtonText, 0x0080FF);   // RGB(255;128;0)
    EXPECT_EQ(c.ButtonHilight, 0);       // abc
    EXPECT_EQ(c.Scrollbar, 0x00002C);    // 300,0,0
    EXPECT_EQ(c.Buttonlight, 1);         // 1,99999999999,7
    EXPECT_EQ(c.ButtonFace, 0xF2ECE8);   // 232,236,242
    EXPECT_EQ(c.Menubar, c.ButtonFace);  // no Menubar key
}

TEST_F(ModelEdge, ColoursMissingFromTheRealSectionAreResolvedWhereTheyAreUsed) {
    StreamedSkin s = StreamTestSkin("MODEL_EDGE_COLOURS");
    TSkinData& d = *s.data;
    // "[ Colours ]" is listed but never found, so ButtonFace keeps its system colour.
    EXPECT_EQ(static_cast<uint32_t>(d.Colours.ButtonFace), 0xFF00000Fu);
    EXPECT_TRUE(d.ColourList.empty());
    EXPECT_EQ(d.Progress, nullptr);  // [Progress] has Image but no Bitmap

    const uint32_t face = GetSysColor(COLOR_BTNFACE);
    LOGBRUSH brush{};
    ASSERT_NE(GetObject(d.BackgroundBrush, sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbColor, face);

    // ComboButton without SunkEdge: the arrow is the button with its magenta as ButtonFace.
    ASSERT_NE(d.ComboButton, nullptr);
    ASSERT_NE(d.ComboxArrow, nullptr);
    EXPECT_EQ(d.ComboxArrow->Frame, 4);
    ASSERT_EQ(d.ComboxArrow->Image.Width(), d.ComboButton->Image.Width());
    for (int f = 0; f < 4; ++f) {
        const int x0 = flatskin::kComboButton.frameWidth * f;
        EXPECT_EQ(PixelAt(d.ComboxArrow->Image, x0 + 9, 10), face) << f;
        EXPECT_EQ(PixelAt(d.ComboButton->Image, x0 + 9, 10), kMagenta) << f;
        EXPECT_EQ(PixelAt(d.ComboxArrow->Image, x0, 0), flatskin::kComboButtonColours[f][kTopLeft]) << f;
    }
    // Image2 of the combo button is its mirror.
    const int w = d.ComboButton->Image.Width();
    ASSERT_EQ(d.ComboButton->Image2.Width(), w);
    EXPECT_EQ(PixelAt(d.ComboButton->Image2, 0, 0), flatskin::kComboButtonColours[3][kTopRight]);
    EXPECT_EQ(PixelAt(d.ComboButton->Image2, w - 1, 0), flatskin::kComboButtonColours[0][kTopLeft]);
}

}  // namespace
}  // namespace skin::testing

// The skin model's arithmetic: colour texts, three-key colours, the [Colours] defaults and
// sections read from an ini, and the frame counts and cut-outs the model derives.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model_rules.h"
#include "quick_ini.h"
#include "read_colour.h"
#include "skin_colours.h"

namespace skin {
namespace {

TEST(ReadColour, TakesTheFirstThreeDigitRunsInAnyNotation) {
    struct Case {
        const char* text;
        tk::TColor fallback;
        tk::TColor expected;
    };
    const Case cases[] = {
        {"255 128 0", 7, 0x0080FF},
        {"255,128,0", 7, 0x0080FF},
        {"RGB(255;128;0)", 7, 0x0080FF},
        {"  10 , 20 , 30  ", 7, 0x1E140A},
        {"", 7, 7},                       // empty: the default
        {"   ", 7, 7},                    // blank is empty once trimmed
        {"abc", 7, 0},                    // no digits: black
        {"300,0,0", 7, 0x00002C},         // each number modulo 256
        {"12", 7, 12},                    // missing numbers count 0
        {"1 2 3 4 5", 7, 0x030201},       // further numbers ignored
        {"1,99999999999,7", 7, 1},        // an overlong run and every later one count 0
        {"99999999999,5,6", 7, 0},
        {"2147483647,1,1", 7, 0x0101FF},  // the largest run that fits is still a number
        {"0x10,2,3", 7, 0x020A00},       // "0x10" is the runs 0 and 10
    };
    for (const Case& c : cases) EXPECT_EQ(ReadColour(c.text, c.fallback), c.expected) << '"' << c.text << '"';
}

TEST(ReadColour, ThreeKeysGiveAColourOnlyWhenAllThreeAreGiven) {
    EXPECT_EQ(ThreeKeyColour(1, 2, 3, 0x1FFFFFFF), 0x030201);
    EXPECT_EQ(ThreeKeyColour(0, 0, 0, 0x1FFFFFFF), 0);
    EXPECT_EQ(ThreeKeyColour(257, 258, 511, 5), 0xFF0201);  // low bytes
    EXPECT_EQ(ThreeKeyColour(-1, 2, 3, 0x1FFFFFFF), 0x1FFFFFFF);
    EXPECT_EQ(ThreeKeyColour(1, -1, 3, 5), 5);
    EXPECT_EQ(ThreeKeyColour(1, 2, -1, 5), 5);
}

std::unique_ptr<TQuickIni> IniOf(const std::string& text) {
    tk::TMemoryStream stream;
    stream.Write(text.data(), text.size());
    stream.SetPosition(0);
    auto ini = std::make_unique<TQuickIni>();
    ini->LoadFromStream(&stream);
    return ini;
}

TEST(SkinColours, MissingKeysKeepTheirSystemColoursAndMenubarFollowsButtonFace) {
    const SkinColours d = ReadSkinColours(*IniOf(""));
    const struct {
        tk::TColor value;
        uint32_t expected;
    } defaults[] = {
        {d.WindowText, 0xFF000008},     {d.ButtonText, 0xFF000012},     {d.ButtonFace, 0xFF00000F},
        {d.ButtonHilight, 0xFF000014},  {d.Scrollbar, 0xFF000000},      {d.Buttonlight, 0xFF000014},
        {d.HilightText, 0xFF00000E},    {d.ButtonShadow, 0xFF000010},   {d.Hilight, 0xFF00000D},
        {d.ButtonDkShadow, 0xFF000015}, {d.Menubar, 0xFF00000F},        {d.MenuBarText, 0xFF000007},
        {d.Menu, 0xFF000004},           {d.TitleTextActive, 0xFF000009}, {d.MenuText, 0xFF000007},
        {d.TitleTextNoActive, 0xFF000013},
    };
    for (size_t i = 0; i < std::size(defaults); ++i)
        EXPECT_EQ(static_cast<uint32_t>(defaults[i].value), defaults[i].expected) << "key " << i;

    const SkinColours read = ReadSkinColours(*IniOf("[Colours]\r\nButtonFace=1,2,3\r\nMenu=4 5 6\r\n"));
    EXPECT_EQ(read.ButtonFace, 0x030201);
    EXPECT_EQ(read.Menubar, 0x030201);
    EXPECT_EQ(read.Menu, 0x060504);
    EXPECT_EQ(ReadSkinColours(*IniOf("[Colours]\r\nButtonFace=1,2,3\r\nMenubar=9,9,9\r\n")).Menubar, 0x090909);
}

TEST(SkinColours, ColourSectionsAndCustomColours) {
    const auto owned = IniOf(
        "[Colour1]\r\ncolor=1,0,0\r\n[Colours]\r\nMenu=1,1,1\r\n[colourX]\r\nColor=0,2,0\r\n[Colour]\r\n"
        "[NotColour]\r\ncolor=9,9,9\r\n[Customcolors]\r\nColor0=0,0,3\r\nColor9=4\r\nColor10=5\r\n");
    const TQuickIni& ini = *owned;
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    const std::vector<tk::TColor> list = ReadColourList(ini, sections);
    ASSERT_EQ(list.size(), 3u);  // Colour1, colourX and Colour (no key: window text)
    EXPECT_EQ(list[0], 0x000001);
    EXPECT_EQ(list[1], 0x000200);
    EXPECT_EQ(static_cast<uint32_t>(list[2]), 0xFF000008u);

    const auto custom = ReadCustomColours(ini);
    EXPECT_EQ(custom[0], 0x030000);
    for (int i = 1; i < 9; ++i) EXPECT_EQ(custom[static_cast<size_t>(i)], 0xFFFFFF) << i;
    EXPECT_EQ(custom[9], 4);
}

TEST(ModelRules, FrameCounts) {
    EXPECT_EQ(BorderFrameCount(0), 1);
    EXPECT_EQ(BorderFrameCount(-3), 1);
    EXPECT_EQ(BorderFrameCount(2), 2);

    struct Caption {
        int width, height, action, frames;
    };
    const Caption captions[] = {
        {60, 20, 0, 3},  {80, 20, 0, 6},  {76, 20, 0, 3},  // 3.8 exactly is still 3
        {77, 20, 0, 6},  {60, 20, -1, 6}, {0, 0, 0, 6},    // no picture
        {60, 20, 3, 3},
    };
    for (const Caption& c : captions)
        EXPECT_EQ(DerivedCaptionFrames(c.width, c.height, c.action), c.frames) << c.width << "x" << c.height;
    EXPECT_TRUE(DerivedButtonDropsPicture(3));
    EXPECT_TRUE(DerivedButtonDropsPicture(11));
    EXPECT_FALSE(DerivedButtonDropsPicture(0));
    EXPECT_FALSE(DerivedButtonDropsPicture(-1));

    struct Glyph {
        int width, height, frames;
    };
    const Glyph glyphs[] = {{52, 13, 4}, {156, 13, 12}, {104, 13, 8}, {26, 13, 4}, {96, 16, 6}, {0, 0, 4}, {130, 15, 10}};
    for (const Glyph& g : glyphs) EXPECT_EQ(GlyphFrameCount(g.width, g.height), g.frames) << g.width << "x" << g.height;
}

TEST(ModelRules, MdiButtonsAreFourColumnsEachRightToLeft) {
    for (int i = 0; i < 3; ++i) {
        const MdiButtonCut cut = MdiButtonCutOf(120, i);
        EXPECT_EQ(cut.sourceLeft, 40 * i);
        EXPECT_EQ(cut.width, 40);
        EXPECT_EQ(cut.xcoord, 14 * (3 - i));
    }
    EXPECT_EQ(MdiButtonCutOf(125, 2).sourceLeft, 80);  // columns of width div 12
}

TEST(ModelRules, ToolbarEndWeight) {
    EXPECT_EQ(ToolbarEndWeight(255), (5625 - 6375) / 140 + 50);  // 45: truncation toward zero
    EXPECT_EQ(ToolbarEndWeight(111), 70);
    EXPECT_EQ(ToolbarEndWeight(200), 54);
}

}  // namespace
}  // namespace skin

// The flat-colour test skins. Every zone of every frame of every picture is one solid colour
// that no other zone, frame or picture has, so a test's expected pixel is a look-up in the
// generated header, never a value computed by the code under test:
//   zone z (0 centre, 1-8 the nine-slice zones), frame f, object o:
//     R = 0x20 + 0x10 (o mod 12), G = 9 (f - 1) + z, B = 0x40 + 0x08 (o div 12)
//   [Colours] key k: R = 0x10 + 0x0C k, G 0xE0, B 0x90
// Every channel stays below 0xF0, so no colour is near the magenta key; magenta appears only in
// the corner blocks of the Left piece and in the separator frame of MenuItem.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas.h"
#include "skin_model_rules.h"
#include "skin_source.h"
#include "test_skins.h"

namespace skinart {
namespace {

namespace fs = std::filesystem;

struct FlatObject {
    const char* id;      // the name in the header
    const char* member;  // the picture's member name
    int index;           // o of the colour rule
    int frameWidth, frameHeight, frames;
    bool stacked;
    int left, top, right, bottom;  // the zones' margins
};

// clang-format off
constexpr FlatObject kLeft{"Left", "left.bmp", 0, 6, 40, 2, false, 0, 20, 0, 3};
constexpr FlatObject kRight{"Right", "right.bmp", 1, 6, 40, 2, false, 0, 20, 0, 3};
constexpr FlatObject kTop{"Top", "top.bmp", 2, 60, 20, 2, true, 6, 0, 3, 0};
constexpr FlatObject kBottom{"Bottom", "bottom.bmp", 3, 60, 5, 2, true, 6, 0, 3, 0};
constexpr FlatObject kTextBack{"TextBack", "textback.bmp", 4, 40, 16, 2, true, 4, 0, 4, 0};
constexpr FlatObject kMenuBar{"MenuBar", "menubar.bmp", 5, 32, 19, 2, false, 2, 0, 2, 0};
constexpr FlatObject kClose{"Close", "close.bmp", 6, 16, 14, 4, false, 0, 0, 0, 0};
constexpr FlatObject kMaximize{"Maximize", "max.bmp", 7, 16, 14, 4, false, 0, 0, 0, 0};
constexpr FlatObject kRestore{"Restore", "restore.bmp", 8, 16, 14, 4, false, 0, 0, 0, 0};
constexpr FlatObject kMinimize{"Minimize", "min.bmp", 9, 16, 14, 4, false, 0, 0, 0, 0};
constexpr FlatObject kButtons{"Buttons", "button.bmp", 10, 20, 20, 5, false, 4, 4, 4, 4};
constexpr FlatObject kCheck{"Check", "check.bmp", 11, 13, 13, 4, false, 0, 0, 0, 0};
constexpr FlatObject kRadio{"Radio", "radio.bmp", 12, 13, 13, 4, false, 0, 0, 0, 0};
constexpr FlatObject kCheck12{"Check12", "check.bmp", 13, 13, 13, 12, false, 0, 0, 0, 0};
constexpr FlatObject kRadio8{"Radio8", "radio.bmp", 14, 13, 13, 8, false, 0, 0, 0, 0};
constexpr FlatObject kScrollbar{"Scrollbar", "scrollbar.bmp", 15, 17, 17, 23, false, 0, 0, 0, 0};
constexpr FlatObject kHorzScroll{"HorzScroll", "hscroll.bmp", 16, 32, 17, 4, false, 0, 0, 0, 0};
constexpr FlatObject kVertScroll{"VertScroll", "vscroll.bmp", 17, 17, 32, 4, false, 0, 0, 0, 0};
constexpr FlatObject kHorzThumb{"HorzScrollThumb", "hthumb.bmp", 18, 24, 17, 3, false, 4, 0, 4, 0};
constexpr FlatObject kVertThumb{"VertScrollThumb", "vthumb.bmp", 19, 17, 24, 3, false, 0, 4, 0, 4};
constexpr FlatObject kTabs{"Tabs", "tabs.bmp", 20, 40, 20, 5, false, 4, 4, 4, 1};
constexpr FlatObject kTabsBorder{"TabsBorder", "tabpane.bmp", 21, 24, 24, 1, false, 4, 5, 4, 4};
constexpr FlatObject kStatusBarEdges{"StatusBarEdges", "sbedges.bmp", 22, 16, 16, 3, false, 2, 2, 2, 2};
constexpr FlatObject kExtraImages{"ExtraImages", "extra.bmp", 23, 12, 12, 5, false, 0, 0, 0, 0};
constexpr FlatObject kTabPane{"TabPane", "tab_pane.bmp", 24, 24, 24, 1, false, 4, 4, 4, 4};
constexpr FlatObject kMenuItem{"MenuItem", "menuitem.bmp", 25, 24, 20, 5, false, 3, 3, 3, 3};
constexpr FlatObject kMenuBackground{"MenuBackground", "menubg.bmp", 26, 32, 32, 1, false, 3, 3, 3, 3};
constexpr FlatObject kComboButton{"ComboButton", "combobtn.bmp", 27, 19, 21, 4, false, 2, 2, 2, 2};
constexpr FlatObject kSunkEdge{"SunkEdge", "sunkedge.bmp", 28, 20, 21, 4, false, 2, 2, 2, 2};
constexpr FlatObject kUpDownVert{"UpDownVert", "updownv.bmp", 29, 11, 7, 8, false, 0, 0, 0, 0};
constexpr FlatObject kUpDownVertGlyph{"UpDownVertGlyph", "updownvg.bmp", 30, 7, 4, 8, false, 0, 0, 0, 0};
constexpr FlatObject kUpDownHorz{"UpDownHorz", "updownh.bmp", 31, 7, 11, 8, false, 0, 0, 0, 0};
constexpr FlatObject kUpDownHorzGlyph{"UpDownHorzGlyph", "updownhg.bmp", 32, 4, 7, 8, false, 0, 0, 0, 0};
constexpr FlatObject kProgress{"Progress", "progress.bmp", 33, 20, 12, 2, false, 2, 2, 2, 2};
constexpr FlatObject kHeaderbar{"Headerbar", "header.bmp", 34, 30, 18, 5, false, 3, 3, 3, 3};
constexpr FlatObject kThumbHorz{"ThumbHorz", "thumbh.bmp", 35, 11, 19, 5, false, 0, 0, 0, 0};
constexpr FlatObject kThumbVert{"ThumbVert", "thumbv.bmp", 36, 19, 11, 5, false, 0, 0, 0, 0};
constexpr FlatObject kThumbLeft{"ThumbLeft", "thumbl.bmp", 37, 19, 11, 5, false, 0, 0, 0, 0};
constexpr FlatObject kThumbRight{"ThumbRight", "thumbr.bmp", 38, 19, 11, 5, false, 0, 0, 0, 0};
constexpr FlatObject kThumbUp{"ThumbUp", "thumbu.bmp", 39, 11, 19, 5, false, 0, 0, 0, 0};
constexpr FlatObject kThumbDown{"ThumbDown", "thumbd.bmp", 40, 11, 19, 5, false, 0, 0, 0, 0};
constexpr FlatObject kTrack{"Track", "track.bmp", 41, 24, 5, 1, false, 3, 1, 3, 1};
constexpr FlatObject kTrackVert{"TrackVert", "trackvert.bmp", 42, 5, 24, 1, false, 1, 3, 1, 3};
constexpr FlatObject kMdiControls{"MdiControls", "mdi.bmp", 43, 10, 10, 12, false, 0, 0, 0, 0};
constexpr FlatObject kProgressStyle1{"ProgressStyle1", "progress.bmp", 44, 20, 12, 1, false, 2, 2, 2, 2};
constexpr FlatObject kProgressChunk{"ProgressChunk", "chunk.bmp", 45, 8, 10, 1, false, 0, 0, 0, 0};
// clang-format on

const FlatObject* const kAllObjects[] = {&kLeft,
                                         &kRight,
                                         &kTop,
                                         &kBottom,
                                         &kTextBack,
                                         &kMenuBar,
                                         &kClose,
                                         &kMaximize,
                                         &kRestore,
                                         &kMinimize,
                                         &kButtons,
                                         &kCheck,
                                         &kRadio,
                                         &kCheck12,
                                         &kRadio8,
                                         &kScrollbar,
                                         &kHorzScroll,
                                         &kVertScroll,
                                         &kHorzThumb,
                                         &kVertThumb,
                                         &kTabs,
                                         &kTabsBorder,
                                         &kStatusBarEdges,
                                         &kExtraImages,
                                         &kTabPane,
                                         &kMenuItem,
                                         &kMenuBackground,
                                         &kComboButton,
                                         &kSunkEdge,
                                         &kUpDownVert,
                                         &kUpDownVertGlyph,
                                         &kUpDownHorz,
                                         &kUpDownHorzGlyph,
                                         &kProgress,
                                         &kHeaderbar,
                                         &kThumbHorz,
                                         &kThumbVert,
                                         &kThumbLeft,
                                         &kThumbRight,
                                         &kThumbUp,
                                         &kThumbDown,
                                         &kTrack,
                                         &kTrackVert,
                                         &kMdiControls,
                                         &kProgressStyle1,
                                         &kProgressChunk};

// Magenta blocks in both frames of the Left piece: they become the window region's corners.
constexpr Rect kLeftTopBlock{0, 0, 3, 2};
constexpr Rect kLeftBottomBlock{0, 38, 2, 2};
// Frame 2 of MenuItem is magenta but for these two rows, the separator line.
constexpr int kSeparatorRow = 15;

enum Zone {
    kCentre,
    kZoneTopLeft,
    kZoneTop,
    kZoneTopRight,
    kZoneLeft,
    kZoneRight,
    kZoneBottomLeft,
    kZoneBottom,
    kZoneBottomRight
};

uint32_t ZoneColour(int index, int frame, int zone) {
    return Rgb(0x20 + 0x10 * (index % 12), 9 * (frame - 1) + zone, 0x40 + 0x08 * (index / 12));
}

}  // namespace

uint32_t FlatZoneColour(int index, int frame, int zone) { return ZoneColour(index, frame, zone); }

namespace {

int ZoneAt(const FlatObject& o, int x, int y) {
    const int column = x < o.left ? 0 : x >= o.frameWidth - o.right ? 2 : 1;
    const int row = y < o.top ? 0 : y >= o.frameHeight - o.bottom ? 2 : 1;
    constexpr int kZones[3][3] = {{kZoneTopLeft, kZoneTop, kZoneTopRight},
                                  {kZoneLeft, kCentre, kZoneRight},
                                  {kZoneBottomLeft, kZoneBottom, kZoneBottomRight}};
    return kZones[row][column];
}

Picture FlatPicture(const FlatObject& o) {
    const int width = o.stacked ? o.frameWidth : o.frameWidth * o.frames;
    const int height = o.stacked ? o.frameHeight * o.frames : o.frameHeight;
    Picture p(width, height);
    for (int f = 0; f < o.frames; ++f) {
        const int x0 = o.stacked ? 0 : f * o.frameWidth, y0 = o.stacked ? f * o.frameHeight : 0;
        for (int y = 0; y < o.frameHeight; ++y)
            for (int x = 0; x < o.frameWidth; ++x) p.at(x0 + x, y0 + y) = ZoneColour(o.index, f + 1, ZoneAt(o, x, y));
        if (&o == &kLeft) {
            Fill(p, {x0 + kLeftTopBlock.x, kLeftTopBlock.y, kLeftTopBlock.w, kLeftTopBlock.h}, kMagenta);
            Fill(p, {x0 + kLeftBottomBlock.x, kLeftBottomBlock.y, kLeftBottomBlock.w, kLeftBottomBlock.h}, kMagenta);
        }
        if (&o == &kMenuItem && f == 1) {
            for (int y = 0; y < o.frameHeight; ++y)
                if (y != kSeparatorRow && y != kSeparatorRow + 1) Fill(p, {x0, y, o.frameWidth, 1}, kMagenta);
        }
    }
    return p;
}

// ---- the ini --------------------------------------------------------------------------------
std::string Line(const std::string& key, const std::string& value) { return key + "=" + value + "\r\n"; }
std::string Line(const std::string& key, int value) { return Line(key, std::to_string(value)); }

std::string ColourText(uint32_t rgb) {
    return std::to_string(skinpack::RedOf(rgb)) + "," + std::to_string(skinpack::GreenOf(rgb)) + "," +
           std::to_string(skinpack::BlueOf(rgb));
}

uint32_t KeyColour(int k) { return Rgb(0x10 + 0x0C * k, 0xE0, 0x90); }
// Text colours of the objects' second colour set: like the [Colours] ones, with G 0xE8.
uint32_t TextColour(int k) { return Rgb(0x10 + 0x0C * k, 0xE8, 0x90); }

struct TextColourKey {
    const char* section;
    const char* key;
};
const TextColourKey kTextColours[] = {{"Buttons", "NormalColour2"},  {"Buttons", "MouseOverColour2"},
                                      {"Buttons", "PressedColour2"}, {"Tabs", "NormalColour2"},
                                      {"Tabs", "MouseOverColour2"},  {"StatusBarEdges", "NormalColour2"}};

// The section's text colour keys with their values.
std::string TextColourLines(const std::string& section) {
    std::string lines;
    for (size_t k = 0; k < std::size(kTextColours); ++k)
        if (section == kTextColours[k].section)
            lines += Line(kTextColours[k].key, ColourText(TextColour(static_cast<int>(k))));
    return lines;
}

// The [Colours] keys in the order of k.
const std::vector<std::string> kColourOrder = {"WindowText", "ButtonText",      "ButtonFace",  "ButtonHilight",
                                               "Scrollbar",  "Buttonlight",     "HilightText", "ButtonShadow",
                                               "Hilight",    "ButtonDkShadow",  "Menubar",     "MenuBarText",
                                               "Menu",       "TitleTextActive", "MenuText",    "TitleTextNoActive"};

std::string Margins(const FlatObject& o) {
    return Line("LeftWidth", o.left) + Line("RightWidth", o.right) + Line("TopHeight", o.top) +
           Line("BottomHeight", o.bottom);
}

std::string BorderKeys(const std::string& n, const FlatObject& o, int trans) {
    const bool stacked = o.stacked;
    return Line(n, o.member) + Line(n + "Frame", o.frames) + Line(n + "TopHeight", stacked ? o.left : o.top) +
           Line(n + "BotHeight", stacked ? o.right : o.bottom) + Line(n + "Stretch", 1) + Line(n + "Trans", trans);
}

std::string CaptionButton(const std::string& name, const FlatObject& o, int action, int x, int visibility,
                          int visibility1) {
    return "\r\n[BUTTON." + name + "]\r\n" + Line("Action", action) + Line("Align", 1) + Line("Xcoord", x) +
           Line("Ycoord", 3) + Line("Visibility", visibility) + Line("Visibility1", visibility1) +
           Line("frame", o.frames) + Line("ButtonImage", o.member);
}

// Every flat skin has the frame: borders, caption, menu bar, caption buttons and the colours.
std::string FrameSections() {
    std::string ini = "; Flat-colour test skin, generated by skinart.\r\n[Personality]\r\n";
    ini += BorderKeys("Left", kLeft, 1) + BorderKeys("Right", kRight, 1) + BorderKeys("Top", kTop, 0) +
           BorderKeys("Bottom", kBottom, 0);
    ini += Line("TextShift", 22) + Line("TextShiftVert", 0) + Line("TextRightClip", 62) + Line("TextAlignment", 0) +
           Line("TextBack", kTextBack.member) + Line("Textbackground", 1) + Line("TXTBackleft", kTextBack.left) +
           Line("TXTBackRight", kTextBack.right);
    ini += Line("menuBar", kMenuBar.member) + Line("TileMenu", 0) + Line("TileLeftMenu", kMenuBar.left) +
           Line("TileRightMenu", kMenuBar.right);
    ini += "\r\n[Fonts]\r\n" + Line("FontHeight", 12);
    ini += "\r\n[Colours]\r\n";
    for (size_t k = 0; k < kColourOrder.size(); ++k)
        ini += Line(kColourOrder[k], ColourText(KeyColour(static_cast<int>(k))));
    ini += "\r\n[BUTTON.ICON]\r\n" + Line("Action", 3) + Line("Align", 0) + Line("Xcoord", 4) + Line("Ycoord", 2) +
           Line("Visibility", 0);
    ini += CaptionButton("MINIMIZE", kMinimize, 2, 58, 6, 8) + CaptionButton("MAXIMIZE", kMaximize, 1, 40, 2, 8) +
           CaptionButton("RESTORE", kRestore, 1, 40, 1, 8) + CaptionButton("CLOSE", kClose, 0, 22, 0, 0);
    return ini;
}

std::string Section(const std::string& name, const std::string& keys) { return "\r\n[" + name + "]\r\n" + keys; }

std::string ObjectSection(const std::string& name, const FlatObject& o, int trans, const std::string& extra = "") {
    return Section(name, Line("Image", o.member) + Margins(o) + Line("Trans", trans) + Line("Tile", 0) + extra);
}

std::string ButtonSection(const FlatObject& check, const FlatObject& radio, bool frameKeys) {
    std::string keys = Line("Bitmap", kButtons.member) + Margins(kButtons) + Line("Trans", 1) + Line("Tile", 0) +
                       Line("CheckButton", check.member) + Line("RadioButton", radio.member);
    if (frameKeys) keys += Line("CheckButtonFrame", check.frames) + Line("RadioButtonFrame", radio.frames);
    return Section("Buttons", keys + TextColourLines("Buttons"));
}

struct FlatSkin {
    const char* name;
    std::vector<const FlatObject*> objects;  // besides the frame's
    std::string sections;
    const char* purpose;
};

std::vector<FlatSkin> Skins() {
    return {
        {"flat_frame", {}, "", "borders, caption, text background, menu bar, caption buttons"},
        {"flat_buttons",
         {&kButtons, &kCheck, &kRadio},
         ButtonSection(kCheck, kRadio, true),
         "push button faces (5 frames), check and radio glyphs of 4 frames"},
        {"flat_buttons_remap",
         {&kButtons, &kCheck12, &kRadio8},
         ButtonSection(kCheck12, kRadio8, false),
         "check glyphs of 12 frames and radio glyphs of 8 (derived counts, remapped)"},
        {"flat_scroll",
         {&kScrollbar, &kHorzScroll, &kVertScroll, &kHorzThumb, &kVertThumb},
         ObjectSection("Scrollbar", kScrollbar, 1) + ObjectSection("HorzScroll", kHorzScroll, 0) +
             ObjectSection("VertScroll", kVertScroll, 0) +
             ObjectSection("HorzScrollThumb", kHorzThumb, 1, Line("FrameCount", 3)) +
             ObjectSection("VertScrollThumb", kVertThumb, 1, Line("FrameCount", 3)),
         "scroll arrows and grips (23 frames), tracks (4), thumbs (3)"},
        {"flat_tabs",
         {&kTabs, &kTabsBorder, &kStatusBarEdges, &kExtraImages},
         ObjectSection("Tabs", kTabs, 1,
                       Line("Border", kTabsBorder.member) + Line("Style", 0) + TextColourLines("Tabs")) +
             ObjectSection("StatusBarEdges", kStatusBarEdges, 0, TextColourLines("StatusBarEdges")) +
             ObjectSection("ExtraImages", kExtraImages, 1),
         "tabs (5 frames) with the pane of Style 0, status bar edges (3), extra images (5)"},
        {"flat_tabs_pane",
         {&kTabs, &kTabsBorder, &kTabPane},
         ObjectSection("Tabs", kTabs, 1, Line("Border", kTabsBorder.member) + Line("Style", 1)) +
             ObjectSection("Tab.Pane", kTabPane, 0),
         "tabs of Style 1, whose pane is [Tab.Pane] with its own margins"},
        {"flat_menus",
         {&kMenuItem, &kMenuBackground},
         ObjectSection("MenuItem", kMenuItem, 1) + ObjectSection("MenuBackground", kMenuBackground, 0),
         "menu items (5 frames, frame 2 the separator) and the popup background"},
        {"flat_other",
         {&kComboButton, &kSunkEdge, &kUpDownVert, &kUpDownVertGlyph, &kUpDownHorz, &kUpDownHorzGlyph, &kProgress,
          &kHeaderbar, &kThumbHorz, &kThumbVert, &kThumbLeft, &kThumbRight, &kThumbUp, &kThumbDown, &kTrack,
          &kTrackVert, &kMdiControls},
         ObjectSection("ComboButton", kComboButton, 1) + ObjectSection("SunkEdge", kSunkEdge, 0) +
             ObjectSection("UpDown.Vert", kUpDownVert, 1, Line("GlyphImage", kUpDownVertGlyph.member)) +
             ObjectSection("UpDown.Horz", kUpDownHorz, 1, Line("GlyphImage", kUpDownHorzGlyph.member)) +
             Section("Progress", Line("Bitmap", kProgress.member) + Line("Style", 0) + Margins(kProgress) +
                                     Line("Trans", 0) + Line("Tile", 0)) +
             ObjectSection("Headerbar", kHeaderbar, 0, Line("Frame", kHeaderbar.frames)) +
             ObjectSection("Trackbar.ThumbHorz", kThumbHorz, 1) + ObjectSection("Trackbar.ThumbVert", kThumbVert, 1) +
             ObjectSection("Trackbar.ThumbLeft", kThumbLeft, 1) + ObjectSection("Trackbar.ThumbRight", kThumbRight, 1) +
             ObjectSection("Trackbar.ThumbUp", kThumbUp, 1) + ObjectSection("Trackbar.ThumbDown", kThumbDown, 1) +
             ObjectSection("Track", kTrack, 0, Line("Frame", 1)) +
             ObjectSection("TRACKVERT", kTrackVert, 0, Line("Frame", 1)) +
             Section("MDICONTROLS", Line("Image", kMdiControls.member)),
         "combo button and sunken edge (4 frames each), spin buttons and glyphs (8), progress (Style 0, 2 frames), "
         "header (5), track-bar thumbs (5), tracks, MDI buttons (12 columns)"},
        {"flat_other_chunk",
         {&kProgressStyle1, &kProgressChunk},
         Section("Progress", Line("Bitmap", kProgressStyle1.member) + Line("Style", 1) + Margins(kProgressStyle1) +
                                 Line("Trans", 0) + Line("Tile", 0)) +
             ObjectSection("Progress.Chunk", kProgressChunk, 0, Line("Frame", 1)),
         "progress of Style 1 (1 frame) with its chunk picture"},
    };
}

const std::vector<const FlatObject*> kFrameObjects = {&kLeft,    &kRight, &kTop,      &kBottom,  &kTextBack,
                                                      &kMenuBar, &kClose, &kMaximize, &kRestore, &kMinimize};

// ---- the header -----------------------------------------------------------------------------
std::string Hex(uint32_t rgb) {
    // COLORREF order: red in the low byte, as the skin engine and GetPixel give colours.
    const uint32_t colorref =
        static_cast<uint32_t>(skinpack::RedOf(rgb)) | skinpack::GreenOf(rgb) << 8 | skinpack::BlueOf(rgb) << 16;
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", colorref);
    return text;
}

std::string Ints(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text += (text.empty() ? "" : ", ") + std::to_string(v);
    return text;
}

// The first skin that holds the object (every skin holds the frame's objects).
const char* SkinOf(const FlatObject* o, const std::vector<FlatSkin>& skins) {
    for (const FlatSkin& s : skins)
        if (std::find(kFrameObjects.begin(), kFrameObjects.end(), o) != kFrameObjects.end() ||
            std::find(s.objects.begin(), s.objects.end(), o) != s.objects.end())
            return s.name;
    return "";
}

std::string Header(const std::vector<FlatSkin>& skins) {
    std::string h =
        "// Generated by skinart flat: the colours and geometry of the flat-colour test skins. Do not edit.\n"
        "// Colours are COLORREF values (0x00BBGGRR), as GetPixel returns them. A zone whose margin is 0\n"
        "// wide does not exist.\n"
        "#pragma once\n\n#include <cstdint>\n\nnamespace flatskin {\n\n"
        "namespace zone {\n"
        "enum Zone { kCentre, kTopLeft, kTop, kTopRight, kLeft, kRight, kBottomLeft, kBottom, kBottomRight, kCount };\n"
        "}  // namespace zone\n\n"
        "struct Object {\n    const char* member;\n    int index;  // o of the colour rule\n"
        "    int frameWidth, frameHeight, frames;\n    bool stacked;  // frames one above the other\n"
        "    int left, top, right, bottom;  // zone margins\n};\n\n"
        "struct Block {\n    int x, y, w, h;\n};\n\n";
    for (const FlatObject* o : kAllObjects) {
        const std::string id = o->id;
        h += "inline constexpr Object k" + id + "{\"" + o->member + "\", " +
             Ints({o->index, o->frameWidth, o->frameHeight, o->frames}) + ", " + (o->stacked ? "true" : "false") +
             ", " + Ints({o->left, o->top, o->right, o->bottom}) + "};\n";
        h += "inline constexpr uint32_t k" + id + "Colours[" + std::to_string(o->frames) + "][zone::kCount] = {\n";
        for (int f = 1; f <= o->frames; ++f) {
            h += "    {";
            for (int z = 0; z < 9; ++z) h += (z ? ", " : "") + Hex(ZoneColour(o->index, f, z));
            h += "},\n";
        }
        h += "};\n";
    }
    h += "\n// Every object with its colours (frames x zone::kCount) and a skin that holds it.\n"
         "struct Entry {\n    const Object* object;\n    const uint32_t* colours;\n    const char* skin;\n};\n"
         "inline constexpr Entry kObjects[] = {\n";
    for (const FlatObject* o : kAllObjects)
        h += "    {&k" + std::string(o->id) + ", &k" + o->id + "Colours[0][0], \"" + SkinOf(o, skins) + "\"},\n";
    h += "};\n";
    h += "\n// Magenta (transparent) in both frames of the Left piece.\n";
    h += "inline constexpr Block kLeftCornerBlocks[2] = {{" +
         Ints({kLeftTopBlock.x, kLeftTopBlock.y, kLeftTopBlock.w, kLeftTopBlock.h}) + "}, {" +
         Ints({kLeftBottomBlock.x, kLeftBottomBlock.y, kLeftBottomBlock.w, kLeftBottomBlock.h}) + "}};\n";
    h += "// Frame 2 of MenuItem is magenta except these two rows (the separator line, zone colours).\n";
    h += "inline constexpr int kMenuItemSeparatorRows[2] = {" + Ints({kSeparatorRow, kSeparatorRow + 1}) +
         "};\n\n// [Colours]\n";
    for (size_t k = 0; k < kColourOrder.size(); ++k)
        h +=
            "inline constexpr uint32_t kColour" + kColourOrder[k] + " = " + Hex(KeyColour(static_cast<int>(k))) + ";\n";
    h += "\n// Text colours of the second colour sets.\n";
    for (size_t k = 0; k < std::size(kTextColours); ++k)
        h += "inline constexpr uint32_t k" + std::string(kTextColours[k].section) + kTextColours[k].key + " = " +
             Hex(TextColour(static_cast<int>(k))) + ";\n";
    h += "\n// The skins: each a package <name>.skin and a form payload <name>.blob in the test assets\n"
         "// folder. Every one holds the frame objects Left, Right, Top, Bottom, TextBack, MenuBar,\n"
         "// Close, Maximize, Restore and Minimize, and besides them:\n";
    for (const FlatSkin& s : skins) h += "//   " + std::string(s.name) + ": " + s.purpose + ".\n";
    h += "inline constexpr const char* kSkins[] = {";
    for (size_t i = 0; i < skins.size(); ++i) h += (i ? ", \"" : "\"") + std::string(skins[i].name) + "\"";
    h += "};\n\n}  // namespace flatskin\n";
    return h;
}

}  // namespace

std::vector<skinpack::Member> FlatSkinMembers(const std::string& name) {
    for (const FlatSkin& s : Skins()) {
        if (name != s.name) continue;
        std::vector<const FlatObject*> objects = kFrameObjects;
        objects.insert(objects.end(), s.objects.begin(), s.objects.end());
        std::vector<skinpack::Member> members{{"skin.ini", FrameSections() + s.sections}};
        for (const FlatObject* o : objects) members.push_back({o->member, skinpack::EncodeBmp24(FlatPicture(*o))});
        std::sort(members.begin() + 1, members.end(),
                  [](const skinpack::Member& a, const skinpack::Member& b) { return a.name < b.name; });
        return members;
    }
    throw std::invalid_argument("no flat skin " + name);
}

int WriteFlatSkins(const fs::path& dir, const fs::path& header) {
    const std::vector<FlatSkin> skins = Skins();
    for (const FlatSkin& s : skins) {
        const fs::path skinDir = dir / s.name;
        fs::remove_all(skinDir);
        fs::create_directories(skinDir);
        for (const skinpack::Member& m : FlatSkinMembers(s.name))
            skinpack::WriteFileBytes((skinDir / m.name).string(), m.bytes);
    }
    if (header.has_parent_path()) fs::create_directories(header.parent_path());
    skinpack::WriteFileBytes(header.string(), Header(skins));
    return 0;
}

}  // namespace skinart

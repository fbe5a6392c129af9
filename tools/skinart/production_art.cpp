#include "production_art.h"

#include <algorithm>
#include <utility>

#include "palette.h"

namespace skinart {
namespace {

using namespace palette;

// ---- the window frame -------------------------------------------------------------------
// Side and bottom borders are rings from the outside in: outline, highlight, face, inner shade.
constexpr int kBorder = 4;
constexpr int kCaption = 24;

uint32_t Ring(const Frame& c, int depth) {
    switch (depth) {
        case 0: return c.outline;
        case 1: return Mix(c.face, kWhite, 72);
        case 2: return c.face;
        default: return Mix(c.face, c.outline, 110);
    }
}

// The caption rows shared by the side pieces and the top piece: outline, highlight, gradient.
void CaptionRows(Picture& p, int width, const Frame& c) {
    Fill(p, {0, 0, width, 1}, c.outline);
    Fill(p, {0, 1, width, 1}, Mix(c.captionTop, kWhite, 80));
    VerticalGradient(p, {0, 2, width, kCaption - 2}, c.captionTop, c.captionBottom);
}

// The left piece: caption part (24 rows), the stretched face, the bottom corner (4 rows).
// Both corners are cut round with radius 3; the right piece is its mirror.
Picture LeftFrame(const Frame& c) {
    const int h = 64;
    Picture p(kBorder, h);
    CaptionRows(p, kBorder, c);
    for (int y = kCaption; y < h; ++y)
        for (int x = 0; x < kBorder; ++x) {
            const int depthFromBottom = h - 1 - y;
            const int depth = y < h - kBorder ? x : std::min(x, depthFromBottom);
            p.at(x, y) = Ring(c, depth);
        }
    Fill(p, {0, 0, 1, h}, c.outline);
    RoundOutline(p, {0, 0, kBorder + 3, h}, 3, c.outline, kTopLeft | kBottomLeft);
    return p;
}

Picture Left() { return SideBySide({LeftFrame(kActive), LeftFrame(kInactive)}); }
Picture Right() { return SideBySide({MirrorLeftRight(LeftFrame(kActive)), MirrorLeftRight(LeftFrame(kInactive))}); }

Picture TopFrame(const Frame& c) {
    Picture p(96, kCaption);
    CaptionRows(p, p.width, c);
    return p;
}
Picture Top() { return Stacked({TopFrame(kActive), TopFrame(kInactive)}); }

Picture BottomFrame(const Frame& c) {
    Picture p(64, kBorder);
    for (int y = 0; y < kBorder; ++y) Fill(p, {0, y, p.width, 1}, Ring(c, kBorder - 1 - y));
    return p;
}
Picture Bottom() { return Stacked({BottomFrame(kActive), BottomFrame(kInactive)}); }

Picture MenuBarFrame(uint32_t top, uint32_t bottom) {
    Picture p(32, 20);
    VerticalGradient(p, {0, 0, p.width, p.height - 1}, top, bottom);
    Fill(p, {0, p.height - 1, p.width, 1}, Mix(bottom, kButtonShadow, 120));
    return p;
}
Picture MenuBar() {
    return SideBySide(
        {MenuBarFrame(Rgb(242, 245, 250), kMenubar), MenuBarFrame(Rgb(240, 241, 244), Rgb(220, 223, 230))});
}

// ---- caption buttons ---------------------------------------------------------------------
enum class CaptionState { Normal, Pressed, Hot, Inactive };

// Glyph masks, one row a line so that they read as pictures.
// clang-format off
const Mask kCloseGlyph = {
    "##....##",
    "###..###",
    ".######.",
    "..####..",
    "..####..",
    ".######.",
    "###..###",
    "##....##",
};
const Mask kMaxGlyph = {
    "#########",
    "#########",
    "#.......#",
    "#.......#",
    "#.......#",
    "#.......#",
    "#.......#",
    "#########",
};
const Mask kRestoreGlyph = {
    "..#######",
    "..#######",
    "..#.....#",
    "#######.#",
    "#######.#",
    "#.....###",
    "#.....#..",
    "#######..",
};
const Mask kMinGlyph = {
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    "########",
    "########",
};
// clang-format on

Picture CaptionButtonFrame(CaptionState state, Mask glyph, bool warmHot) {
    Picture p(18, 16, kMagenta);
    const Rect r{0, 0, 18, 16};
    uint32_t top = Mix(kActive.captionTop, kWhite, 56), bottom = Mix(kActive.captionBottom, kActive.captionTop, 80);
    uint32_t edge = kActive.outline, ink = kWhite;
    switch (state) {
        case CaptionState::Normal: break;
        case CaptionState::Hot:
            top = warmHot ? kCloseHotTop : Mix(kActive.captionTop, kWhite, 120);
            bottom = warmHot ? kCloseHotBottom : Mix(kActive.captionTop, kWhite, 24);
            edge = warmHot ? Rgb(120, 30, 24) : kActive.outline;
            break;
        case CaptionState::Pressed:
            top = warmHot ? Rgb(150, 40, 32) : Mix(kActive.captionBottom, kActive.outline, 120);
            bottom = warmHot ? Rgb(176, 56, 46) : kActive.captionBottom;
            edge = warmHot ? Rgb(96, 24, 20) : kActive.outline;
            break;
        case CaptionState::Inactive:
            top = Mix(kInactive.captionTop, kWhite, 72);
            bottom = kInactive.captionBottom;
            edge = kInactive.outline;
            ink = Rgb(236, 239, 244);
            break;
    }
    VerticalGradient(p, r.Inset(1), top, bottom);
    Fill(p, {2, 1, 14, 1}, Mix(top, kWhite, 96));  // a glint under the top edge
    RoundOutline(p, r, 2, edge);
    GlyphCentred(p, {0, 1, 18, 15}, glyph, ink);
    return p;
}

Picture CaptionButton(Mask glyph, bool warmHot) {
    return SideBySide({CaptionButtonFrame(CaptionState::Normal, glyph, warmHot),
                       CaptionButtonFrame(CaptionState::Pressed, glyph, warmHot),
                       CaptionButtonFrame(CaptionState::Hot, glyph, warmHot),
                       CaptionButtonFrame(CaptionState::Inactive, glyph, warmHot)});
}
Picture Close() { return CaptionButton(kCloseGlyph, true); }
Picture Maximize() { return CaptionButton(kMaxGlyph, false); }
Picture Restore() { return CaptionButton(kRestoreGlyph, false); }
Picture Minimize() { return CaptionButton(kMinGlyph, false); }

// ---- push buttons, check boxes, radio buttons ---------------------------------------------
struct FaceLook {
    uint32_t top, bottom, edge;
};
constexpr FaceLook kNormalFace{Rgb(251, 252, 254), Rgb(218, 224, 233), Rgb(118, 130, 150)};
constexpr FaceLook kHotFace{Rgb(244, 248, 255), Rgb(206, 222, 244), kAccent};
constexpr FaceLook kPressedFace{Rgb(72, 120, 190), Rgb(46, 90, 160), Rgb(24, 48, 96)};
constexpr FaceLook kDisabledLook{kDisabledFace, kDisabledFace, kDisabledLine};

Picture ButtonFrame(const FaceLook& look, bool focused) {
    Picture p(24, 22, kMagenta);
    const Rect r{0, 0, 24, 22};
    VerticalGradient(p, r.Inset(1), look.top, look.bottom);
    RoundOutline(p, r, 3, look.edge);
    if (focused) {
        // An accent ring just inside the outline, following its round corners.
        Fill(p, {3, 1, 18, 1}, kAccent);
        Fill(p, {3, 20, 18, 1}, kAccent);
        Fill(p, {1, 3, 1, 16}, kAccent);
        Fill(p, {22, 3, 1, 16}, kAccent);
        for (auto [x, y] : {std::pair{2, 2}, {21, 2}, {2, 19}, {21, 19}}) Pixel(p, x, y, kAccent);
    }
    return p;
}
Picture Button() {
    return SideBySide({ButtonFrame(kNormalFace, false), ButtonFrame(kPressedFace, false),
                       ButtonFrame(kDisabledLook, false), ButtonFrame(kHotFace, false),
                       ButtonFrame(kNormalFace, true)});
}

// clang-format off
const Mask kTick = {
    "......##",
    ".....##.",
    "#...##..",
    "##.##...",
    ".###....",
    "..#.....",
};
// clang-format on

Picture CheckFrame(bool checked, bool enabled) {
    Picture p(13, 13);
    const Rect r{0, 0, 13, 13};
    VerticalGradient(p, r.Inset(1), enabled ? Rgb(244, 246, 250) : kDisabledFace, enabled ? kWhite : kDisabledFace);
    Outline(p, r, enabled ? kButtonShadow : kDisabledLine);
    if (checked) GlyphCentred(p, r, kTick, enabled ? kAccent : kDisabledText);
    return p;
}
Picture Check() {
    return SideBySide(
        {CheckFrame(false, true), CheckFrame(true, true), CheckFrame(false, false), CheckFrame(true, false)});
}

// Distance checks on doubled coordinates keep the circle centred on the middle pixel.
Picture RadioFrame(bool checked, bool enabled) {
    Picture p(13, 13, kMagenta);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            const int dx = 2 * x - 12, dy = 2 * y - 12, d2 = dx * dx + dy * dy;
            if (d2 > 13 * 13) continue;
            uint32_t inside = enabled ? Mix(kWhite, Rgb(232, 236, 244), (y * 256) / 13) : kDisabledFace;
            p.at(x, y) = d2 > 11 * 11 ? (enabled ? kButtonShadow : kDisabledLine) : inside;
            if (checked && d2 <= 5 * 5) p.at(x, y) = enabled ? kAccent : kDisabledText;
        }
    return p;
}
Picture Radio() {
    return SideBySide(
        {RadioFrame(false, true), RadioFrame(true, true), RadioFrame(false, false), RadioFrame(true, false)});
}

// ---- tabs and panes ---------------------------------------------------------------------
Picture TabFrame(bool selected) {
    Picture p(40, 20);
    const Rect r{0, 0, 40, 20};
    if (selected) {
        VerticalGradient(p, r, kWhite, kButtonFace);
        Outline(p, {0, 0, 40, 21}, kButtonShadow);  // no bottom line: the tab opens into the pane
        Fill(p, {1, 1, 38, 2}, kAccent);
    } else {
        VerticalGradient(p, r, Rgb(240, 243, 248), Rgb(212, 219, 230));
        Outline(p, r, kButtonShadow);
    }
    RoundCorners(p, r, 3, kTopCorners);
    for (int k = 0; k < 3; ++k) {
        Pixel(p, 3 - k, k, kButtonShadow);
        Pixel(p, 36 + k, k, kButtonShadow);
    }
    return p;
}
Picture Tabs() {
    Picture normal = TabFrame(false);
    return SideBySide({normal, TabFrame(true), normal, normal, normal});
}

Picture TabPane() {
    Picture p(24, 24, kButtonFace);
    Outline(p, {0, 0, 24, 24}, kButtonShadow);
    return p;
}

Picture StatusEdgeFrame(uint32_t light, uint32_t dark) {
    Picture p(16, 16, kButtonFace);
    Bevel(p, {0, 0, 16, 16}, light, dark);
    return p;
}
Picture StatusBarEdges() {
    return SideBySide({StatusEdgeFrame(kButtonShadow, kWhite), StatusEdgeFrame(kWhite, kButtonShadow),
                       StatusEdgeFrame(Rgb(214, 220, 230), Rgb(214, 220, 230))});
}

// ---- combo boxes, the size grip ---------------------------------------------------------
// clang-format off
const Mask kDownArrow = {
    "#######",
    ".#####.",
    "..###..",
    "...#...",
};
// clang-format on

Picture ExtraFrame(uint32_t arrow) {
    Picture p(12, 12, kMagenta);
    GlyphCentred(p, {0, 0, 12, 12}, kDownArrow, arrow);
    return p;
}
Picture SizeGrip() {
    Picture p(12, 12, kMagenta);
    for (int diagonal = 0; diagonal < 3; ++diagonal)
        for (int k = 0; k <= diagonal; ++k) {
            const int x = 10 - 3 * (diagonal - k), y = 10 - 3 * k;
            Fill(p, {x, y, 2, 2}, kButtonShadow);
        }
    return p;
}
Picture Extra() {
    return SideBySide(
        {ExtraFrame(kButtonText), ExtraFrame(kWhite), ExtraFrame(kDisabledText), ExtraFrame(kAccent), SizeGrip()});
}

// The sunken field and the button at its right end share their outline, so the derived combo
// cell shows one continuous edge. States: normal, pressed, disabled, hot or focused.
uint32_t FieldEdge(int state) { return state == 3 ? kAccent : state == 2 ? kDisabledLine : kButtonShadow; }

Picture ComboButtonFrame(int state) {
    Picture p(19, 21);
    const uint32_t faces[] = {Rgb(234, 238, 245), Rgb(188, 204, 228), kDisabledFace, Rgb(214, 228, 248)};
    Fill(p, {0, 0, 19, 21}, faces[state]);
    Fill(p, {1, 1, 17, 1}, Mix(faces[state], kWhite, 160));
    Outline(p, {0, 0, 19, 21}, FieldEdge(state));
    return p;
}
Picture ComboButton() {
    return SideBySide({ComboButtonFrame(0), ComboButtonFrame(1), ComboButtonFrame(2), ComboButtonFrame(3)});
}

Picture SunkEdgeFrame(int state) {
    Picture p(20, 21, state == 2 ? Rgb(244, 245, 247) : kWhite);
    Outline(p, {0, 0, 20, 21}, FieldEdge(state));
    return p;
}
Picture SunkEdge() { return SideBySide({SunkEdgeFrame(0), SunkEdgeFrame(1), SunkEdgeFrame(2), SunkEdgeFrame(3)}); }

// ---- scroll bars ------------------------------------------------------------------------
// clang-format off
const Mask kArrowUp = {
    "...#...",
    "..###..",
    ".#####.",
    "#######",
};
// clang-format on

// An arrow picture of the given direction: the up mask turned by quarter turns.
Picture ArrowGlyph(int direction, uint32_t ink) {
    Picture up(7, 4, kMagenta);
    Glyph(up, 0, 0, kArrowUp, ink);
    switch (direction) {
        case 0: return TurnClockwise(TurnClockwise(TurnClockwise(up)));
        case 1: return TurnClockwise(up);
        case 2: return up;
        default: return TurnClockwise(TurnClockwise(up));
    }
}

void BlitKeyed(Picture& to, int x, int y, const Picture& from) {
    for (int dy = 0; dy < from.height; ++dy)
        for (int dx = 0; dx < from.width; ++dx)
            if (from.at(dx, dy) != kMagenta) Pixel(to, x + dx, y + dy, from.at(dx, dy));
}

// States: 0 normal, 1 pressed, 2 disabled, 3 hot.
Picture ArrowButton(int direction, int state) {
    Picture p(17, 17, kMagenta);
    const Rect r{0, 0, 17, 17};
    const FaceLook looks[] = {{Rgb(246, 248, 251), Rgb(220, 226, 235), Rgb(150, 162, 182)},
                              {Rgb(180, 198, 226), Rgb(160, 182, 216), Rgb(88, 116, 160)},
                              {Rgb(236, 238, 242), Rgb(236, 238, 242), Rgb(198, 204, 214)},
                              {Rgb(240, 246, 255), Rgb(206, 222, 246), kAccent}};
    const uint32_t inks[] = {kDkShadow, kButtonText, Rgb(184, 190, 202), kAccent};
    const bool vertical = direction >= 2;
    if (vertical)
        HorizontalGradient(p, r.Inset(1), looks[state].top, looks[state].bottom);
    else
        VerticalGradient(p, r.Inset(1), looks[state].top, looks[state].bottom);
    RoundOutline(p, r, 2, looks[state].edge);
    Picture glyph = ArrowGlyph(direction, inks[state]);
    BlitKeyed(p, (17 - glyph.width) / 2, (17 - glyph.height) / 2, glyph);
    return p;
}

// Three short ridges, dark with a light side, on magenta; turned for the vertical thumb.
Picture Grip(bool vertical, uint32_t dark) {
    Picture p(17, 17, kMagenta);
    for (int i = 0; i < 3; ++i) {
        const int at = 5 + 3 * i;
        if (vertical) {
            Fill(p, {5, at, 7, 1}, dark);
            Fill(p, {5, at + 1, 7, 1}, kWhite);
        } else {
            Fill(p, {at, 5, 1, 7}, dark);
            Fill(p, {at + 1, 5, 1, 7}, kWhite);
        }
    }
    return p;
}

Picture Scrollbar() {
    Picture p(17 * 23, 17, kMagenta);
    int frame = 0;
    for (int direction = 0; direction < 4; ++direction)
        for (int state = 0; state < 4; ++state) Blit(p, 17 * frame++, 0, ArrowButton(direction, state));
    const uint32_t gripInks[] = {Rgb(120, 134, 160), Rgb(24, 48, 96), kAccent};  // normal, pressed, hot
    for (bool vertical : {false, true})
        for (uint32_t ink : gripInks) Blit(p, 17 * frame++, 0, Grip(vertical, ink));
    Blit(p, 17 * frame, 0, ArrowButton(0, 0));
    return p;
}

// Tracks: uniform along the bar, a soft gradient across it. Enabled, enabled, disabled, disabled.
Picture TrackFrame(int w, int h, bool vertical, bool enabled) {
    Picture p(w, h);
    const uint32_t edge = enabled ? Rgb(204, 212, 224) : Rgb(226, 229, 234);
    const uint32_t a = enabled ? Rgb(226, 231, 238) : Rgb(238, 240, 243), b = enabled ? Rgb(238, 241, 246) : a;
    if (vertical) {
        HorizontalGradient(p, {0, 0, w, h}, a, b);
        Fill(p, {0, 0, 1, h}, edge);
        Fill(p, {w - 1, 0, 1, h}, edge);
    } else {
        VerticalGradient(p, {0, 0, w, h}, a, b);
        Fill(p, {0, 0, w, 1}, edge);
        Fill(p, {0, h - 1, w, 1}, edge);
    }
    return p;
}
Picture VScroll() {
    Picture on = TrackFrame(17, 32, true, true), off = TrackFrame(17, 32, true, false);
    return SideBySide({on, on, off, off});
}
Picture HScroll() {
    Picture on = TrackFrame(32, 17, false, true), off = TrackFrame(32, 17, false, false);
    return SideBySide({on, on, off, off});
}

// A horizontal thumb (24 x 17): inset one pixel from the track, rounded ends inside the 4-pixel
// margins, columns of the middle all alike. States: normal, pressed, hot.
Picture HorizontalThumb(int state) {
    Picture p(24, 17, kMagenta);
    const FaceLook looks[] = {{Rgb(226, 232, 242), Rgb(190, 202, 222), Rgb(120, 134, 160)},
                              {Rgb(120, 156, 210), Rgb(80, 122, 186), Rgb(24, 48, 96)},
                              {Rgb(222, 234, 252), Rgb(176, 200, 238), kAccent}};
    const Rect body{0, 1, 24, 15};
    VerticalGradient(p, body.Inset(1), looks[state].top, looks[state].bottom);
    RoundOutline(p, body, 3, looks[state].edge);
    return p;
}
Picture HThumb() { return SideBySide({HorizontalThumb(0), HorizontalThumb(1), HorizontalThumb(2)}); }
Picture VThumb() {
    return SideBySide(
        {TurnClockwise(HorizontalThumb(0)), TurnClockwise(HorizontalThumb(1)), TurnClockwise(HorizontalThumb(2))});
}

// ---- spin buttons -----------------------------------------------------------------------
// One half of a vertical spin button (11 x 7), flat with an outline; states as the arrows.
Picture SpinHalf(int state) {
    const uint32_t faces[] = {Rgb(240, 243, 247), Rgb(196, 210, 232), Rgb(230, 233, 238), Rgb(224, 234, 250)};
    const uint32_t edges[] = {Rgb(150, 162, 182), Rgb(88, 116, 160), Rgb(198, 204, 214), kAccent};
    Picture p(11, 7, faces[state]);
    Outline(p, {0, 0, 11, 7}, edges[state]);
    return p;
}
Picture SpinStrip(bool turned) {
    std::vector<Picture> frames;
    for (int half = 0; half < 2; ++half)
        for (int state = 0; state < 4; ++state)
            frames.push_back(turned ? TurnClockwise(SpinHalf(state)) : SpinHalf(state));
    Picture p(frames[0].width * 8, frames[0].height);
    for (int i = 0; i < 8; ++i) Blit(p, frames[0].width * i, 0, frames[static_cast<size_t>(i)]);
    return p;
}
Picture UpDownV() { return SpinStrip(false); }
Picture UpDownH() { return SpinStrip(true); }

// Glyphs: the up (or left) arrow in frames 1-4, the down (or right) arrow in 5-8.
Picture SpinGlyphs(bool horizontal) {
    const uint32_t inks[] = {Rgb(48, 56, 72), kButtonText, Rgb(176, 184, 196), kAccent};
    std::vector<Picture> frames;
    for (int half = 0; half < 2; ++half)
        for (uint32_t ink : inks) frames.push_back(ArrowGlyph(horizontal ? half : 2 + half, ink));
    Picture p(frames[0].width * 8, frames[0].height, kMagenta);
    for (int i = 0; i < 8; ++i) Blit(p, frames[0].width * i, 0, frames[static_cast<size_t>(i)]);
    return p;
}
Picture UpDownVG() { return SpinGlyphs(false); }
Picture UpDownHG() { return SpinGlyphs(true); }

// ---- menus ------------------------------------------------------------------------------
Picture MenuItemFrame(int kind) {  // 0 normal, 1 separator, 2 selected
    Picture p(24, 20, kMenu);
    const Rect r{0, 0, 24, 20};
    if (kind == 1) {
        Fill(p, r, kMagenta);
        Fill(p, {3, 15, 18, 1}, kButtonShadow);
        Fill(p, {3, 16, 18, 1}, kWhite);
    } else if (kind == 2) {
        VerticalGradient(p, r.Inset(1), Rgb(78, 124, 194), Rgb(52, 98, 170));
        RoundOutline(p, r, 3, Rgb(36, 74, 140));
    }
    return p;
}
Picture MenuItem() {
    Picture normal = MenuItemFrame(0), selected = MenuItemFrame(2);
    return SideBySide({normal, MenuItemFrame(1), normal, selected, selected});
}

Picture MenuBackground() {
    Picture p(32, 32, kMenu);
    Fill(p, {1, 1, 30, 30}, kWhite);
    Fill(p, {3, 3, 26, 26}, kMenu);
    Outline(p, {0, 0, 32, 32}, kDkShadow);
    return p;
}

}  // namespace

const std::vector<ArtMember>& ProductionMembers() {
    static const std::vector<ArtMember> kMembers = {
        {"bottom.bmp", Bottom},
        {"button.bmp", Button},
        {"check.bmp", Check},
        {"close.bmp", Close},
        {"combobtn.bmp", ComboButton},
        {"extra.bmp", Extra},
        {"hscroll.bmp", HScroll},
        {"hthumb.bmp", HThumb},
        {"left.bmp", Left},
        {"max.bmp", Maximize},
        {"menubar.bmp", MenuBar},
        {"menubg.bmp", MenuBackground},
        {"menuitem.bmp", MenuItem},
        {"min.bmp", Minimize},
        {"radio.bmp", Radio},
        {"restore.bmp", Restore},
        {"right.bmp", Right},
        {"sbedges.bmp", StatusBarEdges},
        {"scrollbar.bmp", Scrollbar},
        {"sunkedge.bmp", SunkEdge},
        {"tabpane.bmp", TabPane},
        {"tabs.bmp", Tabs},
        {"top.bmp", Top},
        {"updownh.bmp", UpDownH},
        {"updownhg.bmp", UpDownHG},
        {"updownv.bmp", UpDownV},
        {"updownvg.bmp", UpDownVG},
        {"vscroll.bmp", VScroll},
        {"vthumb.bmp", VThumb},
    };
    return kMembers;
}

}  // namespace skinart

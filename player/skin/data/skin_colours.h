// The skin's colours: the sixteen [Colours] keys, the [Colour...] sections and the ten custom
// colours. A key the skin lacks keeps its default, a system-colour constant that is resolved
// where it is painted.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "colors.h"
#include "quick_ini.h"

namespace skin {

struct SkinColours {
    tk::TColor WindowText = 0, ButtonText = 0, ButtonFace = 0, ButtonHilight = 0;
    tk::TColor Scrollbar = 0, Buttonlight = 0, HilightText = 0, ButtonShadow = 0;
    tk::TColor Hilight = 0, ButtonDkShadow = 0, Menubar = 0, MenuBarText = 0;
    tk::TColor Menu = 0, TitleTextActive = 0, MenuText = 0, TitleTextNoActive = 0;
};

// The [Colours] keys (Menubar defaults to the ButtonFace just read).
SkinColours ReadSkinColours(const TQuickIni& ini);
// One colour ("color") per section named COLOUR... other than COLOURS, in ini order.
std::vector<tk::TColor> ReadColourList(const TQuickIni& ini, const std::vector<std::string>& sections);
// [Customcolors] Color0 .. Color9, white by default.
std::array<tk::TColor, 10> ReadCustomColours(const TQuickIni& ini);

}  // namespace skin

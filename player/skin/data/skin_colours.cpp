#include "skin_colours.h"

#include "read_colour.h"

namespace skin {
namespace {

// The toolkit's system-colour constant for a GetSysColor index.
constexpr tk::TColor SystemColour(unsigned index) { return static_cast<tk::TColor>(0xFF000000u | index); }

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

SkinColours ReadSkinColours(const TQuickIni& ini) {
    auto read = [&](const char* key, tk::TColor fallback) {
        return ReadColour(ini.ReadString("Colours", key, ""), fallback);
    };
    SkinColours c;
    c.WindowText = read("WindowText", SystemColour(0x08));
    c.ButtonText = read("ButtonText", SystemColour(0x12));
    c.ButtonFace = read("ButtonFace", SystemColour(0x0F));
    c.ButtonHilight = read("ButtonHilight", SystemColour(0x14));
    c.Scrollbar = read("Scrollbar", SystemColour(0x00));
    c.Buttonlight = read("Buttonlight", SystemColour(0x14));
    c.HilightText = read("HilightText", SystemColour(0x0E));
    c.ButtonShadow = read("ButtonShadow", SystemColour(0x10));
    c.Hilight = read("Hilight", SystemColour(0x0D));
    c.ButtonDkShadow = read("ButtonDkShadow", SystemColour(0x15));
    c.Menubar = read("Menubar", c.ButtonFace);
    c.MenuBarText = read("MenuBarText", SystemColour(0x07));
    c.Menu = read("Menu", SystemColour(0x04));
    c.TitleTextActive = read("TitleTextActive", SystemColour(0x09));
    c.MenuText = read("MenuText", SystemColour(0x07));
    c.TitleTextNoActive = read("TitleTextNoActive", SystemColour(0x13));
    return c;
}

std::vector<tk::TColor> ReadColourList(const TQuickIni& ini, const std::vector<std::string>& sections) {
    std::vector<tk::TColor> list;
    for (const std::string& section : sections) {
        const std::string upper = UpperCase(section);
        if (upper.rfind("COLOUR", 0) != 0 || upper == "COLOURS") continue;
        list.push_back(ReadColour(ini.ReadString(section, "color", ""), SystemColour(0x08)));
    }
    return list;
}

std::array<tk::TColor, 10> ReadCustomColours(const TQuickIni& ini) {
    std::array<tk::TColor, 10> colours{};
    for (int i = 0; i < 10; ++i)
        colours[static_cast<size_t>(i)] =
            ReadColour(ini.ReadString("Customcolors", "Color" + std::to_string(i), ""), 0xFFFFFF);
    return colours;
}

}  // namespace skin

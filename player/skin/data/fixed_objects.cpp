// The objects every model has: the four border pieces and the caption from [Personality], and
// the push-button object from [Buttons]. They are refilled in place by each read.
#include "model_rules.h"
#include "read_colour.h"
#include "skin_model.h"

namespace skin {

void SkinModel::ReadBorderPieces(const SkinSource& source) {
    const TQuickIni& ini = source.ini;
    const char* const section = "Personality";
    for (TDataSkinBorder* piece : {Left.get(), Right.get(), Top.get(), Bottom.get()}) {
        const std::string& n = piece->Name;
        const int first = ini.ReadInteger(section, n + "TopHeight", 0);
        const int second = ini.ReadInteger(section, n + "BotHeight", 0);
        const bool side = piece == Left.get() || piece == Right.get();
        piece->TopHeight = side ? first : 0;
        piece->BottomHeight = side ? second : 0;
        piece->LeftWidth = side ? 0 : first;
        piece->RightWidth = side ? 0 : second;
        piece->Frame = BorderFrameCount(ini.ReadInteger(section, n + "Frame", 1));
        piece->Tile = ini.ReadInteger(section, n + "Stretch", 1);
        if (piece->Tile > 1) piece->Tile = 1;
        piece->Trans = ini.ReadInteger(section, n + "Trans", 1);
        LoadBitmapMember(source, piece->Image, ini.ReadString(section, n, ""));
    }
}

void SkinModel::ReadButtonObject(const SkinSource& source) {
    const TQuickIni& ini = source.ini;
    const char* const section = "Buttons";
    TDataSkinButton& b = *Buttons;
    b.LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
    b.RightWidth = ini.ReadInteger(section, "RightWidth", 0);
    b.TopHeight = ini.ReadInteger(section, "TopHeight", 0);
    b.BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
    b.Trans = ini.ReadInteger(section, "Trans", 0);
    LoadBitmapMember(source, b.Image, ini.ReadString(section, "Bitmap", ""));
    b.Tile = ini.ReadInteger(section, "Tile", 0);
    LoadBitmapMember(source, b.CheckImage, ini.ReadString(section, "CheckButton", ""));
    LoadBitmapMember(source, b.RadioImage, ini.ReadString(section, "RadioButton", ""));
    b.NormalColour = ini.ReadInteger(section, "NormalColour", -1);
    b.MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
    b.PressedColour = ini.ReadInteger(section, "PressedColour", -1);
    b.RadioButtonFrame = ini.ReadInteger(section, "RadioButtonFrame", 0);
    b.CheckButtonFrame = ini.ReadInteger(section, "CheckButtonFrame", 0);
    if (b.Tile > 1) b.Tile = 0;
    const std::string normal2 = ini.ReadString(section, "NormalColour2", "");
    const std::string over2 = ini.ReadString(section, "MouseOverColour2", "");
    const std::string pressed2 = ini.ReadString(section, "PressedColour2", "");
    b.HasNormalColour2 = !normal2.empty();
    b.HasMouseOverColour2 = !over2.empty();
    b.HasPressedColour2 = !pressed2.empty();
    b.NormalColour2 = ReadColour(normal2, Colours.ButtonText);
    b.MouseOverColour2 = ReadColour(over2, Colours.ButtonText);
    b.PressedColour2 = ReadColour(pressed2, Colours.ButtonText);
}

void SkinModel::ReadTitleObject(const SkinSource& source) {
    const TQuickIni& ini = source.ini;
    const char* const section = "Personality";
    TDataSkinTitle& t = *Title;
    LoadBitmapMember(source, t.Image, ini.ReadString(section, "TextBack", ""));
    t.LeftWidth = ini.ReadInteger(section, "TextShift", 0);
    t.TopHeight = ini.ReadInteger(section, "TextShiftVert", 0);
    t.RightWidth = ini.ReadInteger(section, "TextRightClip", 0);
    t.BottomHeight = 0;
    t.TextAlignment = ini.ReadInteger(section, "TextAlignment", 0);
    t.Textbackground = ini.ReadInteger(section, "Textbackground", 0);
    t.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    t.TXTBackleft = ini.ReadInteger(section, "TXTBackleft", 0);
    t.TXTBackRight = ini.ReadInteger(section, "TXTBackRight", 0);
    auto threeKeys = [&](const std::string& name, tk::TColor previous) {
        return ThreeKeyColour(ini.ReadInteger(section, name + "R", -1), ini.ReadInteger(section, name + "G", -1),
                              ini.ReadInteger(section, name + "B", -1), previous);
    };
    constexpr tk::TColor kNoColour = 0x1FFFFFFF;
    t.ActiveTextColour = threeKeys("ActiveText", kNoColour);
    t.InActiveTextColour = threeKeys("InActiveText", kNoColour);
}

}  // namespace skin

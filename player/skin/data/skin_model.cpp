#include "skin_model.h"

#include "caption_buttons.h"
#include "derived_pictures.h"

namespace skin {

SkinModel::SkinModel()
    : Left(std::make_unique<TDataSkinBorder>("Left")),
      Right(std::make_unique<TDataSkinBorder>("Right")),
      Top(std::make_unique<TDataSkinBorder>("Top")),
      Bottom(std::make_unique<TDataSkinBorder>("Bottom")),
      Title(std::make_unique<TDataSkinTitle>("Title")),
      Buttons(std::make_unique<TDataSkinButton>("Buttons")) {}

SkinModel::~SkinModel() {
    if (BackgroundBrush != nullptr) DeleteObject(BackgroundBrush);
}

void SkinModel::ReadSkinIni(const TQuickIni& ini, const TSkinReader& reader, tk::TMemoryStream& buffer) {
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    SkinSource source{ini, reader, buffer};
    ReadBorderPieces(source);
    Colours = ReadSkinColours(ini);
    ColourList = ReadColourList(ini, sections);
    CustomColours = ReadCustomColours(ini);
    source.buttonText = Colours.ButtonText;
    CaptionButtons = ReadCaptionButtons(source, sections);
    ReadButtonObject(source);
    ReadTitleObject(source);
    ReadSectionObjects(source);
    ApplyFrameCounts(ini);
    // The toolbar gradient ends in a shade of the background colour, so that colour is worked
    // out before the derived pictures rather than after them.
    BackgroundColour = ComputeBackgroundColour(*this);
    MakeComboStrip(*this);
    MakeComboxArrow(*this);
    MakeToolbar(*this);
    MakeBackgroundBrush();
    NoSkin = false;
}

void SkinModel::MakeBackgroundBrush() {
    if (BackgroundBrush != nullptr) DeleteObject(BackgroundBrush);
    // A missing ButtonFace leaves a system-colour constant, which no brush can take as it is.
    BackgroundBrush = CreateSolidBrush(tk::ColorToRGB(Colours.ButtonFace));
}

}  // namespace skin

// The skin model: every skin object, the caption buttons and the colours, built from a skin
// package's ini and pictures by ReadSkinIni. The drawing code reads the slots directly; a slot
// is empty (nullptr) when the skin gives that element no picture, and the element is then
// drawn without the skin.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "skin_colours.h"
#include "skin_objects.h"
#include "skin_source.h"

namespace skin {

class SkinModel {
public:
    // The fixed objects: the four border pieces, the caption and the push-button object,
    // empty until a skin is read. Every other slot starts empty.
    SkinModel();
    ~SkinModel();
    SkinModel(const SkinModel&) = delete;
    SkinModel& operator=(const SkinModel&) = delete;

    // Rebuilds the whole model from the loaded ini; bitmap members come through source.
    // Clears NoSkin at its end.
    void ReadSkinIni(const TQuickIni& ini, const TSkinReader& reader, tk::TMemoryStream& buffer);

    std::unique_ptr<TDataSkinBorder> Left, Right, Top, Bottom;
    std::unique_ptr<TDataSkinTitle> Title;
    std::unique_ptr<TDataSkinButton> Buttons;
    // One per caption-button section in ini order, then the three MDI control buttons.
    std::vector<std::unique_ptr<TDataSkinSysButton>> CaptionButtons;

    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> ProgressChunk, MenuBar, GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges, TabPane, ToolBars;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge, ExtraImages, Headerbar, MenuItem, MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar, HorzScroll, VertScroll, HorzScrollThumb, VertScrollThumb;
    std::unique_ptr<TDataSkinObject> ThumbHorz, ThumbVert, ThumbLeft, ThumbRight, ThumbUp, ThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz, UpDownVert;
    std::unique_ptr<TDataSkinObject> Track, TrackVert;
    // Derived by the model itself; refilled in place by each read.
    std::unique_ptr<TDataSkinObject> ComboxArrow, Toolbar;

    SkinColours Colours;
    tk::TColor BackgroundColour = 0;
    std::vector<tk::TColor> ColourList;
    std::array<tk::TColor, 10> CustomColours{};
    HBRUSH BackgroundBrush = nullptr;  // solid, of the resolved ButtonFace colour; owned

    bool NoSkin = true;  // no skin has been read yet

private:
    void ReadBorderPieces(const SkinSource& source);
    void ReadButtonObject(const SkinSource& source);
    void ReadTitleObject(const SkinSource& source);
    void ReadSectionObjects(const SkinSource& source);
    void ApplyFrameCounts(const TQuickIni& ini);
    void MakeBackgroundBrush();
};

}  // namespace skin

// The frame counts the model fixes once every object is read: most objects' pictures have a
// set number of frames whatever the ini says.
#include "model_rules.h"
#include "skin_model.h"

namespace skin {
namespace {

template <class T>
void SetFrames(const std::unique_ptr<T>& slot, int frames) {
    if (slot) slot->Frame = frames;
}

}  // namespace

void SkinModel::ApplyFrameCounts(const TQuickIni& ini) {
    TDataSkinButton& b = *Buttons;
    b.Frame = 5;
    if (b.RadioButtonFrame == 0) b.RadioButtonFrame = GlyphFrameCount(b.RadioImage.Width(), b.RadioImage.Height());
    if (b.CheckButtonFrame == 0) b.CheckButtonFrame = GlyphFrameCount(b.CheckImage.Width(), b.CheckImage.Height());
    Title->Frame = 2;
    if (Progress) Progress->Frame = Progress->Style != 0 ? 1 : 2;
    SetFrames(MenuBar, 2);
    SetFrames(GroupBoxEdge, 2);
    SetFrames(Toolbar, 1);
    SetFrames(ToolBars, 5);
    SetFrames(Tabs, 5);
    SetFrames(TabPane, 1);
    SetFrames(StatusBarEdges, 3);
    SetFrames(GroupBox, 1);
    SetFrames(ComboButton, 4);
    SetFrames(SunkEdge, 4);
    SetFrames(ExtraImages, 5);
    if (Headerbar && Headerbar->Frame == 0) Headerbar->Frame = 5;
    SetFrames(MenuItem, 5);
    SetFrames(MenuBackground, 1);
    SetFrames(Scrollbar, 23);
    SetFrames(HorzScroll, 4);
    SetFrames(VertScroll, 4);
    SetFrames(UpDownVert, 8);
    SetFrames(UpDownHorz, 8);
    for (const auto* thumb : {&ThumbHorz, &ThumbVert, &ThumbLeft, &ThumbRight, &ThumbUp, &ThumbDown}) SetFrames(*thumb, 5);
    SetFrames(HorzScrollThumb, ini.ReadInteger("HorzScrollThumb", "FrameCount", 3));
    SetFrames(VertScrollThumb, ini.ReadInteger("VertScrollThumb", "FrameCount", 3));
}

}  // namespace skin

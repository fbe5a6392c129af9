// The objects of the model that each come from one section, in the order they are read.
#include "bitmap_transforms.h"
#include "section_readers.h"
#include "skin_model.h"

namespace skin {
namespace {

void ClampMargins(TDataSkinObject& o, int most) {
    for (int* margin : {&o.LeftWidth, &o.TopHeight, &o.RightWidth, &o.BottomHeight})
        if (*margin > most) *margin = most;
}

bool IsEmpty(const std::unique_ptr<TDataSkinObject>& slot) { return !slot || slot->Image.Empty(); }

}  // namespace

void SkinModel::ReadSectionObjects(const SkinSource& s) {
    ReadProgressObject(s, Progress, "Progress");
    ReadSkinObject(s, ProgressChunk, "Progress.Chunk");
    ReadMenuBarObject(s, MenuBar, "Personality");
    ReadSkinObject(s, GroupBoxEdge, "GroupBoxEdge");
    ReadBoxLabelObject(s, GroupBox, "GroupBox");
    ReadBorderObject(s, Tabs, "Tabs", "Border");
    ReadSkinObject(s, StatusBarEdges, "StatusBarEdges");
    ReadSkinObject(s, TabPane, "Tab.Pane");
    if (TabPane) ClampMargins(*TabPane, 4);
    ReadSkinObject(s, ToolBars, "ToolBars");
    ReadBorderObject(s, ComboButton, "ComboButton", "****");
    ReadSkinObject(s, SunkEdge, "SunkEdge");
    if (ComboButton && !ComboButton->Image.Empty()) {
        ComboButton->Image2.Assign(&ComboButton->Image);
        ComboButton->Image2.SetPixelFormat(tk::TPixelFormat::pf24bit);
        MirrorBitmap(ComboButton->Image2);
    }
    ReadSkinObject(s, ExtraImages, "ExtraImages");
    ReadSkinObject(s, Headerbar, "Headerbar");
    ReadSkinObject(s, MenuItem, "MenuItem");
    ReadSkinObject(s, MenuBackground, "MenuBackground");
    ReadSkinObject(s, Scrollbar, "Scrollbar");
    ReadSkinObject(s, HorzScroll, "HorzScroll");
    ReadSkinObject(s, VertScroll, "VertScroll");
    ReadSkinObject(s, HorzScrollThumb, "HorzScrollThumb");
    ReadSkinObject(s, VertScrollThumb, "VertScrollThumb");
    ReadSkinObject(s, ThumbHorz, "Trackbar.ThumbHorz");
    ReadSkinObject(s, ThumbVert, "Trackbar.ThumbVert");
    ReadSkinObject(s, ThumbLeft, "Trackbar.ThumbLeft");
    ReadSkinObject(s, ThumbRight, "Trackbar.ThumbRight");
    ReadSkinObject(s, ThumbUp, "Trackbar.ThumbUp");
    ReadSkinObject(s, ThumbDown, "Trackbar.ThumbDown");
    ReadBorderObject(s, UpDownHorz, "UpDown.Horz", "GlyphImage");
    ReadBorderObject(s, UpDownVert, "UpDown.Vert", "GlyphImage");
    ReadSkinObject(s, Track, "Track");
    if (IsEmpty(Track)) LoadResourceObject(Track, "TRACK");
    ReadSkinObject(s, TrackVert, "TRACKVERT");
    if (IsEmpty(TrackVert)) LoadResourceObject(TrackVert, "TRACKVERT");
}

}  // namespace skin

// The arithmetic behind the skin model's frame counts and cut-outs, kept apart from the
// pictures so that it is testable without GDI.
#pragma once

namespace skin {

// A border piece's frame count as read: below 1 counts as 1 (the model divides by it).
int BorderFrameCount(int read);

// The frame count of a caption button without a "frame" key: 3 for a picture at most 3.8
// times as wide as high, else 6; 6 without a picture or for a negative action.
int DerivedCaptionFrames(int width, int height, int action);
// A caption button whose frame count was derived and whose action is 3 or 11 (the icon
// buttons) drops its picture: the window's icon is drawn in its place.
bool DerivedButtonDropsPicture(int action);

// The frames of a check-box or radio glyph strip without a frame key: its width divided by
// 13 (height below 16) or 16, at least 4.
int GlyphFrameCount(int width, int height);

// The three MDI control buttons are cut from a strip of 12 equal columns of width a.
struct MdiButtonCut {
    int sourceLeft;  // 4 * i * a
    int width;       // 4 * a: four frames
    int xcoord;      // (a + 4) * (3 - i)
};
MdiButtonCut MdiButtonCutOf(int stripWidth, int button);

// The weight (a percentage of the background colour, blended with white) of the toolbar
// gradient's end for a background whose saturation value is above 110.
int ToolbarEndWeight(int saturation);

}  // namespace skin

// The skin objects: one per skinned element (border piece, caption, caption button, scroll
// bar, tab, ...), each a picture holding Frame frames, its unscaled margins and its text
// colours. Every object owns its pictures outright and frees them once.
#pragma once

#include <string>

#include "bitmap.h"
#include "class_info.h"
#include "skin_picture.h"

namespace skin {

class TDataSkinObject : public tk::TObject {
    TK_CLASS(TDataSkinObject)
public:
    explicit TDataSkinObject(std::string name) : Name(std::move(name)) {}

    int LeftWidth = 0, TopHeight = 0, RightWidth = 0, BottomHeight = 0;
    tk::TBitmap Image;
    int Trans = 0;  // non-zero: drawn transparently (kKeyColour)
    int Tile = 0;   // 0 or 1: how the centre is filled
    std::string Name;
    int Frame = 0;
    int Style = 0;
    int NormalColour = 0, MouseOverColour = 0, PressedColour = 0;  // -1: not given
    int NormalColour2 = 0, MouseOverColour2 = 0, PressedColour2 = 0;

    // The object's picture as the drawing routines take it.
    SkinPicture Picture(FrameLayout layout = FrameLayout::SideBySide);
};

// A border piece, and the objects that carry a second picture.
class TDataSkinBorder : public TDataSkinObject {
    TK_CLASS(TDataSkinBorder)
public:
    using TDataSkinObject::TDataSkinObject;
    tk::TBitmap Image2;
};

// The caption: LeftWidth is the text shift, TopHeight the vertical shift, RightWidth the
// right clip; Image the text background.
class TDataSkinTitle : public TDataSkinObject {
    TK_CLASS(TDataSkinTitle)
public:
    using TDataSkinObject::TDataSkinObject;
    int TextAlignment = 0, Textbackground = 0, FontHeight = 0, TXTBackleft = 0, TXTBackRight = 0;
    int ActiveTextColour = 0, InActiveTextColour = 0;
};

// The push-button faces with the check-box and radio glyphs.
class TDataSkinButton : public TDataSkinObject {
    TK_CLASS(TDataSkinButton)
public:
    using TDataSkinObject::TDataSkinObject;
    tk::TBitmap CheckImage, RadioImage;
    int RadioButtonFrame = 0, CheckButtonFrame = 0;
    bool HasNormalColour2 = false, HasMouseOverColour2 = false, HasPressedColour2 = false;
};

// One caption button (or MDI control button).
class TDataSkinSysButton : public TDataSkinObject {
    TK_CLASS(TDataSkinSysButton)
public:
    using TDataSkinObject::TDataSkinObject;
    int Action = 0, Align = 0, Xcoord = 0, Ycoord = 0, CombineOp = 0, Visibility = 0, Visibility1 = 0;
};

// The group box with its caption background.
class TDataSkinBoxLabel : public TDataSkinObject {
    TK_CLASS(TDataSkinBoxLabel)
public:
    using TDataSkinObject::TDataSkinObject;
    int BackgroundLeftShift = 0, BackgroundRightShift = 0, BackgroundAlignment = 0;
};

}  // namespace skin

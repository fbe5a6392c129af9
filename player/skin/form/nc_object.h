// The hot objects of a skinned window's non-client area: the caption buttons and the menu-bar
// items. Each knows its rectangle and its state; the form skinner tells it of the mouse, and
// it repaints itself in its new state.
#pragma once

#include <windows.h>

#include "class_info.h"
#include "frame_state.h"
#include "nine_slice.h"

namespace tk {
class TCustomForm;
}

namespace skin {

class TSkinData;
class TDataSkinSysButton;
class TNCObject;
class TWinSysButton;

// The form skinner as its non-client objects and its menu bar see it.
class INcHost {
public:
    virtual ~INcHost() = default;
    virtual HWND WindowHandle() const = 0;
    virtual TSkinData* SkinData() const = 0;
    // Borders, menu band, window size (WindowWidth/WindowHeight as last painted), activation,
    // state and kind.
    virtual const FormFrameState& Frame() const = 0;
    virtual tk::TCustomForm* VclForm() const = 0;  // none for a plain window
    virtual TNCObject* HotObject() const = 0;
    virtual void SetHotObject(TNCObject* object) = 0;
    // Draws one caption button on the window in its current State.
    virtual void PaintCaptionButton(TWinSysButton& button) = 0;
    // A menu-bar popup is being tracked, and which.
    virtual void SetInMenuLoop(bool inLoop) = 0;
    virtual void SetTrackedPopup(HMENU popup) = 0;
};

// The states an object is painted in; the number is the picture frame it shows.
enum TNCState : int { ncNormal = 1, ncPressed = 2, ncHot = 3 };

class TNCObject : public tk::TObject {
    TK_CLASS(TNCObject)
public:
    explicit TNCObject(INcHost* form) : Form(form) {}

    INcHost* Form;
    SliceRect Rect;  // window coordinates: the origin is the window's top-left corner
    bool Visible = false;
    int State = ncNormal;
    bool Enabled = true;

    // The mouse went down on, came up on, moved over or left the object.
    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseMove();
    virtual void MouseLeave();
    virtual void Paint() {}

    bool Contains(POINT windowPoint) const {
        return windowPoint.x >= Rect.left && windowPoint.x < Rect.right && windowPoint.y >= Rect.top &&
               windowPoint.y < Rect.bottom;
    }
};

// A caption button: its skin entry gives the action, picture and frame count.
class TWinSysButton : public TNCObject {
    TK_CLASS(TWinSysButton)
public:
    TWinSysButton(INcHost* form, TDataSkinSysButton* skin) : TNCObject(form), Skin(skin) {}
    TDataSkinSysButton* Skin;
    void Paint() override { Form->PaintCaptionButton(*this); }
};

}  // namespace skin

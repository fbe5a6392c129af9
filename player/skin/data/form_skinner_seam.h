// What the skin manager asks of the skinner of one top-level window, and how it makes one. The
// manager only sees this interface, so its rules run against a recording double in tests.
//
// Ownership: a form skinner is a component owned by its toolkit form (when the window has one)
// and listed by the manager. Whoever frees it first wins: freeing unlinks it from its owner, and
// its destructor calls ISkinManager::ForgetForm(this), so neither side keeps a dead pointer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tk {
class TComponent;
class TCustomForm;
}  // namespace tk

namespace skin {

class TSkinData;

// A form skinner's SkinState.
enum TSkinState : int {
    ssAttached = 0,    // window procedure replaced, nothing painted yet
    ssSkinned = 1,
    ssRecoloring = 3,
    ssDestroying = 4,
    ssFirstSizing = 5,
    ssDestroyed = 6,   // the window is gone; the manager's purge frees the skinner
};

class IFormSkinner {
public:
    virtual ~IFormSkinner() = default;

    virtual HWND WindowHandle() const = 0;
    virtual TSkinData* SkinData() const = 0;
    virtual int SkinState() const = 0;
    virtual int ManagerTag() const = 0;
    virtual uint8_t FormKind() const = 0;  // 0 ordinary, 1 MDI frame, 2 MDI child

    // Borders and caption buttons from the skin, again.
    virtual void ComputeBorders() = 0;
    // The skin's colours again (form colour, control skinners, frame).
    virtual void Recolor() = 0;
    // The skin taken off a living window: procedures, styles, menu, size and colour restored.
    virtual void Unskin() = 0;
    // The window is being destroyed: procedures restored, nothing resized or recoloured.
    virtual void UnskinForDestroy() = 0;
    // Frees the caption-button objects (the skin data's pictures are about to change).
    virtual void FreeCaptionButtons() = 0;
    // A child window made after the form was skinned (a size grip) gets its control skinner.
    virtual void SkinWindowByClass(HWND) {}
};

// What the manager knows when it skins a window.
struct FormSkinnerRequest {
    HWND Window = nullptr;
    int ManagerTag = 0;
    std::wstring ClassText;            // the window's class name
    TSkinData* Data = nullptr;         // the component whose skin the window takes
    tk::TCustomForm* Form = nullptr;   // the toolkit form of the window, or none for a plain window
};

// Makes the skinner, owned by request.Form when there is one, and attaches it (as a form or as a
// plain window). The manager lists it and posts SKIN_START.
using FormSkinnerFactory = std::function<IFormSkinner*(const FormSkinnerRequest& request)>;

// The private messages of the engine.
constexpr UINT SKIN_RECOLOR = 0x3401;        // to the toolkit form: re-apply skin colours
constexpr UINT SKIN_PAINTFRAME = 0x3502;     // repaint the whole skinned frame
constexpr UINT SKIN_START = 0x3503;          // posted after the skinner is made: skin now
constexpr UINT SKIN_CAPTIONACTION = 0x3514;  // wParam: a caption-button action not handled here
constexpr UINT SKIN_REDRAW = 0x3516;         // to the MDI client: redraw the MDI frame
constexpr UINT SKIN_RESKINSCROLL = 0x3517;   // wParam: a child whose scroll-bar skinner is replaced
constexpr UINT SKIN_OPENMENUAT = 0x3518;     // lParam: screen point; open the menu-bar item there
constexpr UINT SKIN_QUERY = 0x3523;          // a skinned window or control answers 1
constexpr UINT SKIN_FRAMEREGION = 0xBC4B;    // to the form, lParam 16802: repaint the frame in region wParam
constexpr UINT SKIN_PRESENT = 0xBC4D;        // to the form: 16802 when lParam is 16802, else 1
constexpr UINT SKIN_APPLIED = 0xBC4E;        // sent after skinning, wParam 0, lParam 16802
constexpr LPARAM kSkinMagic = 16802;
constexpr LPARAM kSkinStartDelay = 1000;     // SKIN_START's lParam

}  // namespace skin

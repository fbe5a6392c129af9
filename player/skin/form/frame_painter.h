// The painting of a skinned window's non-client area over Win32: the border pieces, the caption
// composed off-screen with its title and caption buttons, the band behind the menu bar, the
// window's shaped region and its answer to WM_NCCALCSIZE. The form skinner keeps a
// FramePaintContext for its window and calls these from its window procedure; they read and
// write nothing else, so a test can paint a plain window through them.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bitmap.h"
#include "caption_button_layout.h"
#include "form_skinner_seam.h"
#include "frame_pieces.h"
#include "frame_state.h"
#include "graphics.h"
#include "messages.h"
#include "nc_object.h"

namespace skin {

class TSkinData;
class TWinSkinMenu;

// Asked of the window for the caption buttons whose Visibility is 1000-2000: wParam the code,
// lParam the action; an answer above 0 shows the button.
constexpr UINT SKIN_BUTTONVISIBLE = 0x3515;

struct FramePaintContext {
    HWND Handle = nullptr;
    TSkinData* Skin = nullptr;
    FormFrameState Frame;  // the painter writes WindowWidth and WindowHeight
    int SkinState = ssAttached;
    bool SkinFrame = false;       // the skin draws frame, caption and menu bar
    HMENU SystemMenu = nullptr;
    bool IsUnicode = false;       // the window text is read as wide text
    tk::TFont* CaptionFont = nullptr;
    tk::TBitmap FrameBitmap;      // the caption buffer
    std::vector<std::unique_ptr<TWinSysButton>> SysButtons;  // in the skin's order
    CaptionPlacement Placement;   // TitleTextRect and RightButtonsLeft of the last layout
    RECT WindowRect{};            // screen, as last read
    bool OwnRegion = false;
    HRGN RegionHandle = nullptr;  // the region given to the window; the system owns it after SetWindowRgn
    int RegionWidth = 0, RegionHeight = 0;
    std::wstring CaptionSuffix = L"  ";
    TWinSkinMenu* MenuBar = nullptr;  // paints the band when there is one
    // Draws the window's icon into a rectangle (the icon buttons).
    std::function<void(HDC, const RECT&)> DrawIcon;
    // The non-client object under the mouse is forgotten after a full paint.
    std::function<void()> ForgetHotObject;
};

using CallDefaultProc = std::function<void(tk::TMessage&)>;

// WM_NCPAINT: takes the system menu style off, then paints (or lets the previous procedure paint
// a maximized MDI child or a frame without caption). Result 0.
void HandleNCPaint(FramePaintContext& frame, tk::TMessage& message, const CallDefaultProc& callDefault);
// The whole non-client area on dc, or on the window DC when dc is null.
void PaintNonClient(FramePaintContext& frame, HDC dc);
void PaintCaption(FramePaintContext& frame, HDC dc);
void DrawBorderPiece(FramePaintContext& frame, TBorderPiece piece, const RECT& rect, HDC dc);
void DrawTitleText(FramePaintContext& frame, tk::TCanvas& canvas, const RECT& title);
// Visibility, enabling and rectangles of the caption buttons.
void LayoutFrameButtons(FramePaintContext& frame);
void PaintCaptionButtons(FramePaintContext& frame, tk::TCanvas& canvas);
// One caption button on the window DC in its State (hot and pressed frames included).
void PaintCaptionButton(FramePaintContext& frame, TWinSysButton& button);
void SetSysMenuStyle(FramePaintContext& frame, bool remove);
// Returns the SetWindowRgn result, or 0 when the region was kept or not built.
int UpdateWindowRegion(FramePaintContext& frame);
void RemoveWindowRegion(FramePaintContext& frame);
// The region, then the whole frame, after a size or state change.
void RefreshRegionAndFrame(FramePaintContext& frame);
// WM_NCCALCSIZE: the previous procedure first, then the skinned client rectangle.
void HandleNCCalcSize(FramePaintContext& frame, tk::TMessage& message, const CallDefaultProc& callDefault);
// WindowState from the window's placement.
void ReadWindowState(FramePaintContext& frame);

}  // namespace skin

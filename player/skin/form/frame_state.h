// What the rules of a skinned frame need to know about its window: the skinned border sizes,
// the window's size, state and kind, and the caption buttons its style allows. The form
// skinner fills it from its window; the rules read nothing else, so they run without a window.
#pragma once

#include <cstdint>

#include "nine_slice.h"

namespace skin {

enum TWindowState : uint8_t { wsNormal = 0, wsMaximized = 1, wsMinimized = 2 };
enum TFormKind : uint8_t { fkOrdinary = 0, fkMdiFrame = 1, fkMdiChild = 2 };
enum TBorderKind : uint8_t { bkSizable = 0, bkSingle = 1, bkNoCaption = 2, bkDialog = 3 };

// The skinner's BorderIcons bits (not the toolkit form's TBorderIcon set).
enum TFrameIcon : uint8_t {
    fiMaximizeBox = 1 << 0,
    fiMinimizeBox = 1 << 1,
    fiSystemMenu = 1 << 3,
    fiStripCaption = 1 << 4,  // the native caption style is taken off while skinned
};

// Window style bits the rules read or write.
constexpr uint32_t kStylePopup = 0x80000000;    // WS_POPUP
constexpr uint32_t kStyleCaption = 0x00C00000;  // WS_CAPTION: both bits
constexpr uint32_t kStyleSysMenu = 0x00080000;  // WS_SYSMENU

struct FormFrameState {
    int BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;  // BorderTop: the caption
    int MenuBarHeight = 0;
    int WindowWidth = 0, WindowHeight = 0;  // the whole window, frame included
    bool WindowActive = true;
    TWindowState WindowState = wsNormal;
    TFormKind FormKind = fkOrdinary;
    TBorderKind BorderKind = bkSizable;
    uint8_t BorderIcons = 0;  // TFrameIcon bits
    bool IsDialog = false;    // a system dialog or message box class
    bool RightToLeft = false;
    uint32_t WindowStyle = 0;
    bool HasMenuBar = false;         // the form has a skinned menu bar
    bool MdiChildMaximized = false;  // an MDI frame whose active child is maximized

    bool Has(TFrameIcon icon) const { return (BorderIcons & icon) != 0; }
    bool HasCaption() const { return BorderKind != bkNoCaption; }
    bool IsMdiChild() const { return FormKind == fkMdiChild; }
};

}  // namespace skin

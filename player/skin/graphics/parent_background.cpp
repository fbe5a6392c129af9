#include "parent_background.h"

#include "win_control.h"

namespace skin {

void PaintParentBackground(tk::TControl& control, HDC dc) {
    tk::TWinControl* parent = control.Parent();
    if (parent == nullptr || !parent->HandleAllocated()) return;
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -control.Left(), -control.Top(), nullptr);
    IntersectClipRect(dc, control.Left(), control.Top(), control.Left() + control.Width(), control.Top() + control.Height());
    SendMessageW(parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parent->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
}

}  // namespace skin

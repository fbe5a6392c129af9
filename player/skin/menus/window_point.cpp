#include "window_point.h"

namespace skin {

POINT ToWindowPoint(const INcHost& form, POINT screen) {
    POINT p = screen;
    ScreenToClient(form.WindowHandle(), &p);
    const FormFrameState& frame = form.Frame();
    if (frame.IsMdiChild() && frame.WindowState == wsMinimized) return p;
    p.x += frame.BorderLeft;
    p.y += frame.BorderTop + frame.MenuBarHeight;
    return p;
}

}  // namespace skin

// Non-client objects keep their rectangles in window coordinates (the origin at the window's
// top-left corner); mouse messages give screen points.
#pragma once

#include <windows.h>

#include "nc_object.h"

namespace skin {

// The screen point in window coordinates, through the client area: the skinned frame's client
// area starts at the left border and under the caption and menu band. A minimized MDI child
// shows no client area, so its client origin is the window's.
POINT ToWindowPoint(const INcHost& form, POINT screen);

}  // namespace skin

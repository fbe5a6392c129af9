// The pictures the program carries as resources rather than in the package: the system-menu
// glyphs, the track-bar channels the model falls back to, and the program icon.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace skinart {

// "GLAZELMENU": 64 x 16, 1 bit per pixel; restore, maximize, minimize, close; black on white.
Picture GlazelMenuPicture();
std::string GlazelMenuBmp();
// "TRACK" (16 x 4) and "TRACKVERT" (4 x 16), 4 bits per pixel: shadow, dark shadow, face, white.
Picture TrackPicture(bool vertical);
std::string TrackBmp(bool vertical);
// The program icon at 16 x 16 and 32 x 32 (magenta marks the transparent pixels).
Picture IconPicture(int size);
// Both sizes as an icon file: 32-bit images with an AND mask, every pixel fully opaque or
// fully transparent.
std::string IconFile();

}  // namespace skinart

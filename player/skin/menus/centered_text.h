// A single line of text centred in a rectangle both ways, as the menu bar draws its captions.
#pragma once

#include <windows.h>

#include <string>

#include "graphics.h"

namespace skin {

enum class TTextAlignment { Left = 0, Right = 1, Center = 2 };

// Plain style, transparent, in the canvas font's colour, or in clBtnShadow when not enabled
// (the font keeps that colour afterwards). The text is measured first and its box moved to the
// middle of rect, so it is centred vertically too, which a single-line DrawText alone is not
// without DT_VCENTER. An '&' underlines the next character.
void DrawCenteredText(tk::TCanvas& canvas, const RECT& rect, const std::wstring& text, TTextAlignment alignment,
                      bool enabled);

}  // namespace skin

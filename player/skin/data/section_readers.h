// The readers that make one skin object from one ini section. Each first empties its slot, so
// a section that a later skin lacks leaves the slot empty; a section without its picture key
// makes no object.
#pragma once

#include <memory>
#include <string>

#include "skin_objects.h"
#include "skin_source.h"

namespace skin {

// "Image", the margins, "Style", "Frame", "Trans", "Tile" (above 1 becomes 0) and the text
// colours.
void ReadSkinObject(const SkinSource& source, std::unique_ptr<TDataSkinObject>& slot, const std::string& section);
// As ReadSkinObject without "Frame"; Image2 from secondKey when it has a value.
void ReadBorderObject(const SkinSource& source, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                      const std::string& secondKey);
// As ReadSkinObject without "Frame", plus the caption background's alignment and shifts.
void ReadBoxLabelObject(const SkinSource& source, std::unique_ptr<TDataSkinBoxLabel>& slot,
                        const std::string& section);
// "Bitmap" is the picture; no colours, no "Frame"; "Tile" above 1 becomes 1.
void ReadProgressObject(const SkinSource& source, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section);
// The menu bar from [Personality] "menuBar", its tiling and side margins from TileMenu,
// TileLeftMenu and TileRightMenu.
void ReadMenuBarObject(const SkinSource& source, std::unique_ptr<TDataSkinObject>& slot, const std::string& section);
// An object from the program's own bitmap resource: margins 3, one frame, centre stretched.
void LoadResourceObject(std::unique_ptr<TDataSkinObject>& slot, const std::string& resourceName);

}  // namespace skin

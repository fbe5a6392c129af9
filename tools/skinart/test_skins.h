// The skins and packages the skin engine's tests load: flat-colour skins whose every zone has a
// colour of its own (with a generated C++ table of those colours), skins that probe the model's
// corrections, and packages and form payloads that are broken on purpose.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_builder.h"

namespace skinart {

// DIR/flat_<family>/ (skin.ini and pictures) and the colour table as a C++ header.
int WriteFlatSkins(const std::filesystem::path& dir, const std::filesystem::path& header);
// The members of one flat skin (e.g. "flat_frame") in archive order.
std::vector<skinpack::Member> FlatSkinMembers(const std::string& name);
// The flat colour of zone z in frame f (1-based) of object o, as 0xRRGGBB.
uint32_t FlatZoneColour(int index, int frame, int zone);

// DIR/model_edge/ and DIR/model_edge_colours/ (skin.ini and pictures).
int WriteModelEdgeSkins(const std::filesystem::path& dir);
// DIR/*.skin and DIR/*.blob, with DIR/index.txt saying what each one is.
int WriteCorruptFixtures(const std::filesystem::path& dir);

}  // namespace skinart

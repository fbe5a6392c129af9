// The production skin's pictures, one drawing function per member of the package.
#pragma once

#include <vector>

#include "canvas.h"

namespace skinart {

struct ArtMember {
    const char* name;  // the member name, as skin.ini names it
    Picture (*draw)();
};

// In member-name order, as the packer stores them.
const std::vector<ArtMember>& ProductionMembers();

}  // namespace skinart

// A review sheet of a skin's pictures: each enlarged, with its frame boundaries marked and a
// number, and an index text that names each number.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace skinart {

struct SheetEntry {
    std::string name;
    Picture picture;
    int frames = 1;
    bool stacked = false;
};

struct ContactSheet {
    Picture picture;
    std::string index;
};

ContactSheet MakeContactSheet(const std::vector<SheetEntry>& entries);

}  // namespace skinart

// Where the skin model reads from while it is built: the package's ini, the package itself for
// the picture members, and one buffer that every extracted member passes through.
#pragma once

#include <string>

#include "bitmap.h"
#include "colors.h"
#include "quick_ini.h"
#include "skin_reader.h"
#include "streams.h"

namespace skin {

struct SkinSource {
    const TQuickIni& ini;
    const TSkinReader& reader;
    tk::TMemoryStream& buffer;
    tk::TColor buttonText = 0;  // the default of the objects' second text colours
};

// Fills bitmap from the member that an ini value names by its file-name part (after the last
// '\', '/' or ':'), which must end exactly in ".bmp". An empty or other name, a missing or
// empty member, and a member that is no readable bitmap all leave bitmap empty.
void LoadBitmapMember(const SkinSource& source, tk::TBitmap& bitmap, const std::string& value);

}  // namespace skin

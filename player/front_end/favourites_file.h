// The favourites file "scjwj.xml": <scj> with one <pd id="channel name">PlayLink</pd> per
// favourite, in the order added, saved as GB2312 with version "1.0". The program never creates
// it. Names compare exactly; with two equal names the first one is meant.
#pragma once

#include <string>

namespace zentavo {

extern bool FavouriteRemoved;  // set by RemoveFavourite when it dropped an entry

// Drops the first entry of that name and saves; the file is not written when there is none.
// Always -1.
int RemoveFavourite(const std::wstring& path, const std::wstring& name);

// Moves the favourite to the end of the file with this stream address (dropping an older entry
// of the same name) and saves once. `replaced` tells whether such an entry existed. Raises when
// the file cannot be read or written; the file is then unchanged.
void AppendFavourite(const std::wstring& path, const std::wstring& name, const std::wstring& playLink,
                     bool& replaced);

bool FileExistsW(const std::wstring& path);

}  // namespace zentavo

// A skin as it is authored: the ini text and a folder of pictures, turned into the member list
// of its archive (the ini first as "skin.ini", then every ".bmp" file of the folder in name
// order, names lower-cased).
#pragma once

#include <string>
#include <vector>

#include "archive_builder.h"

namespace skinpack {

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The ini with every line ended by CR LF, whatever line ends the checkout gave it.
std::string WithCrLf(const std::string& text);

std::vector<Member> CollectSkin(const std::string& iniPath, const std::string& pictureDir);

}  // namespace skinpack

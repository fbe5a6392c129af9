// A built package read back through the player's own package reader, and its listing: what the
// committed listing of the production skin shows, so a change to the art or the packer is a diff.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive_builder.h"

namespace skinpack {

struct PackageContents {
    int32_t version = 0;
    size_t archiveSize = 0;
    std::vector<Member> members;  // in archive order
};

// Empty when the player's reader refuses the package.
std::optional<PackageContents> ReadPackage(const std::string& package);

// One line for the package, one for the archive, then one per member: name, size, for pictures
// their size, depth and frames as the model takes them, and the SHA-256 of the bytes.
std::string ListPackage(const std::string& package, const PackageContents& contents);

}  // namespace skinpack

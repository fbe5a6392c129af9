// SHA-256 of a byte string, as lower-case hex, for the package listings. Written here because
// the host tools also build for i386, where no crypto library is installed.
#pragma once

#include <string>
#include <string_view>

namespace skinpack {

std::string Sha256Hex(std::string_view bytes);

}  // namespace skinpack

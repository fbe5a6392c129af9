// Versions and dates of the update state are opaque texts: one is newer than another when it
// is greater in an unsigned byte-by-byte comparison of their GBK bytes, a proper prefix being
// the smaller. So "2008-1-10" is older than "2008-1-9", as the servers have always meant it.
#pragma once

#include <string>

namespace zentavo {

bool IsNewerText(const std::string& candidate, const std::string& current);

}  // namespace zentavo

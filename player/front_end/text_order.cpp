#include "text_order.h"

#include <algorithm>

namespace zentavo {

bool IsNewerText(const std::string& candidate, const std::string& current) {
    return std::lexicographical_compare(
        current.begin(), current.end(), candidate.begin(), candidate.end(),
        [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

}  // namespace zentavo

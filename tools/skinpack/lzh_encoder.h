// The LZHUF encoder of skin packages, the inverse of the player's decoder (skin::TLZH). It
// shares the tree code with the decoder, so both sides adapt the Huffman tree identically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinpack {

struct LzhStats {
    size_t literals = 0;
    size_t matches = 0;
    size_t rebuilds = 0;  // tree rebuilds the decoder will also go through
};

// The whole package: int32 U (the archive size, little-endian), then the bit stream. The
// tokens cover exactly U bytes; matches reach only bytes already emitted, never the decoder's
// space-filled ring start. The same archive always gives the same bytes.
std::vector<uint8_t> PackLzh(const std::vector<uint8_t>& archive);
std::vector<uint8_t> PackLzh(const std::vector<uint8_t>& archive, LzhStats& stats);

}  // namespace skinpack

// The adaptive Huffman tree and position codes of the skin packages' LZHUF coding. The
// decoder in the player and the encoder of the skin packer share this code, so both sides
// update the tree identically. No Windows headers: it also builds for the host tools.
#pragma once

#include <cstdint>

namespace skin::lzh {

constexpr int kRingSize = 4096;                             // N
constexpr int kLongestMatch = 60;                           // F
constexpr int kThreshold = 2;                               // shortest match minus one
constexpr int kSymbols = 256 - kThreshold + kLongestMatch;  // N_CHAR: bytes, then lengths 3..60
constexpr int kNodes = 2 * kSymbols - 1;                    // T
constexpr int kRoot = kNodes - 1;                           // R
constexpr unsigned kMaxFreq = 0x8000;
// Where the first byte of a stream is written: the ring before it holds spaces.
constexpr int kRingStart = kRingSize - kLongestMatch;

// Prefix codes of the upper 6 bits of a match position. Derived once from the code lengths.
struct PositionCodes {
    uint8_t decode_code[256];  // d_code: the 6-bit symbol of a leading byte
    uint8_t decode_len[256];   // d_len: its code length in bits
    uint8_t encode_code[64];   // p_code: the code of a symbol, left-aligned in a byte
    uint8_t encode_len[64];    // p_len
};
const PositionCodes& Positions();

// freq, prnt and son as the algorithm names them: nodes 0..T-1, leaves are T + symbol.
struct HuffmanTree {
    uint16_t freq[kNodes + 1];
    int16_t prnt[kNodes + kSymbols];
    int16_t son[kNodes];

    void Start();
    // Counts one occurrence of symbol and keeps the tree ordered (rebuilding it first
    // when the root's count reached kMaxFreq).
    void Update(int symbol);
    void Rebuild();
};

}  // namespace skin::lzh

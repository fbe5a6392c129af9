#include "lzh_tree.h"

#include <cstring>

namespace skin::lzh {

namespace {

// Code length of each upper-6-bit position symbol: 3 bits for 0, 4 for 1-3, 5 for 4-11,
// 6 for 12-23, 7 for 24-47, 8 for 48-63.
int CodeLength(int symbol) {
    if (symbol == 0) return 3;
    if (symbol < 4) return 4;
    if (symbol < 12) return 5;
    if (symbol < 24) return 6;
    if (symbol < 48) return 7;
    return 8;
}

PositionCodes Derive() {
    PositionCodes codes{};
    int entry = 0;
    for (int symbol = 0; symbol < 64; ++symbol) {
        int length = CodeLength(symbol);
        codes.encode_code[symbol] = static_cast<uint8_t>(entry);
        codes.encode_len[symbol] = static_cast<uint8_t>(length);
        for (int k = 0; k < (1 << (8 - length)); ++k, ++entry) {
            codes.decode_code[entry] = static_cast<uint8_t>(symbol);
            codes.decode_len[entry] = static_cast<uint8_t>(length);
        }
    }
    return codes;
}

}  // namespace

const PositionCodes& Positions() {
    static const PositionCodes codes = Derive();
    return codes;
}

void HuffmanTree::Start() {
    for (int i = 0; i < kSymbols; ++i) {
        freq[i] = 1;
        son[i] = static_cast<int16_t>(i + kNodes);
        prnt[i + kNodes] = static_cast<int16_t>(i);
    }
    for (int i = kSymbols, j = 0; i <= kRoot; ++i, j += 2) {
        freq[i] = static_cast<uint16_t>(freq[j] + freq[j + 1]);
        son[i] = static_cast<int16_t>(j);
        prnt[j] = prnt[j + 1] = static_cast<int16_t>(i);
    }
    freq[kNodes] = 0xFFFF;  // sentinel above the root: the swap search stops there
    prnt[kRoot] = 0;
}

void HuffmanTree::Update(int symbol) {
    if (freq[kRoot] == kMaxFreq) Rebuild();
    int c = prnt[symbol + kNodes];
    do {
        unsigned k = ++freq[c];
        if (k > freq[c + 1]) {
            // Move c past the run of smaller counts that follows it.
            int l = c + 1;
            while (k > freq[l + 1]) ++l;
            freq[c] = freq[l];
            freq[l] = static_cast<uint16_t>(k);

            int i = son[c];
            prnt[i] = static_cast<int16_t>(l);
            if (i < kNodes) prnt[i + 1] = static_cast<int16_t>(l);

            int j = son[l];
            son[l] = static_cast<int16_t>(i);
            prnt[j] = static_cast<int16_t>(c);
            if (j < kNodes) prnt[j + 1] = static_cast<int16_t>(c);
            son[c] = static_cast<int16_t>(j);

            c = l;
        }
        c = prnt[c];
    } while (c != 0);
}

void HuffmanTree::Rebuild() {
    // Leaves to the front in their order, counts halved rounding up.
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (son[i] >= kNodes) {
            freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
            son[j] = son[i];
            ++j;
        }
    }
    // Internal nodes again, each pair's sum inserted where the counts stay ordered.
    for (int i = 0, node = kSymbols; node < kNodes; i += 2, ++node) {
        unsigned f = static_cast<unsigned>(freq[i]) + freq[i + 1];
        int k = node - 1;
        while (f < freq[k]) --k;
        ++k;
        size_t moved = static_cast<size_t>(node - k) * sizeof(freq[0]);
        std::memmove(&freq[k + 1], &freq[k], moved);
        freq[k] = static_cast<uint16_t>(f);
        std::memmove(&son[k + 1], &son[k], moved);
        son[k] = static_cast<int16_t>(i);
    }
    // Parents from the children.
    for (int i = 0; i < kNodes; ++i) {
        int k = son[i];
        if (k >= kNodes) {
            prnt[k] = static_cast<int16_t>(i);
        } else {
            prnt[k] = prnt[k + 1] = static_cast<int16_t>(i);
        }
    }
}

}  // namespace skin::lzh

#include "lzh_encoder.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "lzh_tree.h"

namespace skinpack {

using namespace skin::lzh;

namespace {

constexpr int kMinMatch = kThreshold + 1;
constexpr int kChainLimit = 256;
constexpr int kHashBits = 15;
constexpr size_t kNone = std::numeric_limits<size_t>::max();

// Most significant bit first; the last byte is padded with zero bits, which is also what the
// decoder assumes past the end of its input.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void PutBit(unsigned bit) {
        pending_ = (pending_ << 1) | (bit & 1);
        if (++pending_count_ == 8) {
            out_.push_back(static_cast<uint8_t>(pending_));
            pending_ = 0;
            pending_count_ = 0;
        }
    }
    // The low `count` bits of `bits`, highest first.
    void Put(unsigned bits, int count) {
        for (int k = count - 1; k >= 0; --k) PutBit(bits >> k);
    }
    void Finish() {
        while (pending_count_ != 0) PutBit(0);
    }

private:
    std::vector<uint8_t>& out_;
    unsigned pending_ = 0;
    int pending_count_ = 0;
};

struct Match {
    int length = 0;
    int distance = 0;  // 1..kRingSize bytes back from the current position
};

// Greedy longest-match search over hash chains of 3-byte prefixes. Only positions before the
// current one are ever inserted, so every match refers to bytes the decoder already wrote.
class MatchFinder {
public:
    explicit MatchFinder(const std::vector<uint8_t>& data)
        : data_(data), head_(size_t{1} << kHashBits, kNone), prev_(kRingSize, kNone) {}

    // Among the most recent kChainLimit candidates, the longest; of equal ones the nearest.
    Match Find(size_t pos) const {
        Match best;
        if (data_.size() - pos < static_cast<size_t>(kMinMatch)) return best;
        size_t limit = std::min<size_t>(kLongestMatch, data_.size() - pos);
        size_t candidate = head_[Hash(pos)];
        for (int visited = 0; candidate != kNone && visited < kChainLimit; ++visited) {
            size_t distance = pos - candidate;
            if (distance > static_cast<size_t>(kRingSize)) break;
            size_t length = CommonLength(candidate, pos, limit);
            if (length > static_cast<size_t>(best.length)) {
                best = {static_cast<int>(length), static_cast<int>(distance)};
                if (length == limit) break;
            }
            candidate = prev_[candidate % kRingSize];
        }
        return best;
    }

    // Must follow Find(pos): a slot of prev_ is reused by the position kRingSize later.
    void Insert(size_t pos) {
        if (data_.size() - pos < static_cast<size_t>(kMinMatch)) return;
        size_t& head = head_[Hash(pos)];
        prev_[pos % kRingSize] = head;
        head = pos;
    }

private:
    unsigned Hash(size_t pos) const {
        unsigned h = (data_[pos] << 10) ^ (data_[pos + 1] << 5) ^ data_[pos + 2];
        return (h ^ (h >> kHashBits)) & ((1u << kHashBits) - 1);
    }
    // Overlap (candidate + length > pos) is fine: the decoder copies byte by byte.
    size_t CommonLength(size_t candidate, size_t pos, size_t limit) const {
        size_t length = 0;
        while (length < limit && data_[candidate + length] == data_[pos + length]) ++length;
        return length;
    }

    const std::vector<uint8_t>& data_;
    std::vector<size_t> head_;
    std::vector<size_t> prev_;
};

class SymbolEncoder {
public:
    SymbolEncoder(std::vector<uint8_t>& out, LzhStats& stats) : bits_(out), stats_(stats) { tree_.Start(); }

    // A literal byte or 253 + match length. The code is the path from the root: each node
    // is the even or the odd one of its parent's pair of children.
    void EncodeChar(int symbol) {
        uint8_t path[kNodes];
        int depth = 0;
        for (int node = tree_.prnt[symbol + kNodes]; node != kRoot; node = tree_.prnt[node])
            path[depth++] = static_cast<uint8_t>(node & 1);
        while (depth > 0) bits_.PutBit(path[--depth]);
        if (tree_.freq[kRoot] == kMaxFreq) ++stats_.rebuilds;
        tree_.Update(symbol);
    }

    // position = distance - 1: the prefix code of its upper 6 bits, then the low 6 bits.
    void EncodePosition(int position) {
        const PositionCodes& codes = Positions();
        int upper = position >> 6;
        int length = codes.encode_len[upper];
        bits_.Put(codes.encode_code[upper] >> (8 - length), length);
        bits_.Put(static_cast<unsigned>(position) & 0x3F, 6);
    }

    void Finish() { bits_.Finish(); }

private:
    HuffmanTree tree_;
    BitWriter bits_;
    LzhStats& stats_;
};

void AppendInt32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

std::vector<uint8_t> PackLzh(const std::vector<uint8_t>& archive, LzhStats& stats) {
    if (archive.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("skin archive larger than a package can describe");
    stats = {};
    std::vector<uint8_t> package;
    package.reserve(archive.size() / 2 + 16);
    AppendInt32(package, static_cast<uint32_t>(archive.size()));

    SymbolEncoder encoder(package, stats);
    MatchFinder finder(archive);
    size_t pos = 0;
    while (pos < archive.size()) {
        Match match = finder.Find(pos);
        size_t covered = 1;
        if (match.length >= kMinMatch) {
            encoder.EncodeChar(255 - kThreshold + match.length);
            encoder.EncodePosition(match.distance - 1);
            covered = static_cast<size_t>(match.length);
            ++stats.matches;
        } else {
            encoder.EncodeChar(archive[pos]);
            ++stats.literals;
        }
        for (size_t end = pos + covered; pos < end; ++pos) finder.Insert(pos);
    }
    encoder.Finish();
    return package;
}

std::vector<uint8_t> PackLzh(const std::vector<uint8_t>& archive) {
    LzhStats stats;
    return PackLzh(archive, stats);
}

}  // namespace skinpack

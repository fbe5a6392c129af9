// The skin packages' LZHUF coding: the derived position codes, the packer's encoder against the
// player's decoder, streams derived by hand from the start tree, and corrupt packages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lzh_decoder.h"
#include "lzh_encoder.h"
#include "lzh_tree.h"
#include "streams.h"

namespace skin {
namespace {

using Bytes = std::vector<uint8_t>;

struct Unpacked {
    bool accepted;
    Bytes archive;
};

Unpacked Unpack(const Bytes& package) {
    tk::TMemoryStream in;  // left at its end: the decoder must rewind it
    in.WriteBuffer(package.data(), package.size());
    tk::TMemoryStream archive;
    bool accepted = UnpackPackage(in, archive);
    const uint8_t* memory = archive.Memory();
    return {accepted, Bytes(memory, memory + archive.Size())};
}

Bytes Package(int32_t unpacked, const Bytes& stream) {
    Bytes package;
    for (int shift = 0; shift < 32; shift += 8)
        package.push_back(static_cast<uint8_t>(static_cast<uint32_t>(unpacked) >> shift));
    package.insert(package.end(), stream.begin(), stream.end());
    return package;
}

// "1100 0101 1" -> bytes, first bit the most significant, zero padded; spaces are ignored.
Bytes Bits(const std::string& text) {
    Bytes bytes;
    int count = 0;
    for (char c : text) {
        if (c == ' ') continue;
        if (count % 8 == 0) bytes.push_back(0);
        if (c == '1') bytes.back() |= static_cast<uint8_t>(0x80 >> (count % 8));
        ++count;
    }
    return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() >> 24);
    return bytes;
}

Bytes IniLikeText(size_t size) {
    Bytes bytes;
    for (int line = 0; bytes.size() < size; ++line) {
        std::string text = "[Object" + std::to_string(line % 37) + "]\r\nBitmap=piece_" +
                           std::to_string(line * 7919 % 1000) + ".bmp\r\n";
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    bytes.resize(size);
    return bytes;
}

Bytes Repeated(const Bytes& block, int times) {
    Bytes bytes;
    for (int i = 0; i < times; ++i) bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
}

// Mostly literals (so the tree rebuilds more than once) with copies of earlier runs at random
// distances up to the ring size, some of them overlapping.
Bytes RandomWithCopies(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<uint8_t>(random() >> 24));
        size_t distance = 1 + random() % std::min<size_t>(lzh::kRingSize, bytes.size());
        size_t length = 3 + random() % 70;
        for (size_t i = 0; i < length; ++i) bytes.push_back(bytes[bytes.size() - distance]);
    }
    bytes.resize(size);
    return bytes;
}

TEST(LzhPositionCodes, DerivedFromTheCodeLengths) {
    const lzh::PositionCodes& codes = lzh::Positions();
    int entries_of_length[9] = {};
    for (int i = 0; i < 256; ++i) ++entries_of_length[codes.decode_len[i]];
    EXPECT_EQ(entries_of_length[3], 32);
    EXPECT_EQ(entries_of_length[4], 48);
    EXPECT_EQ(entries_of_length[5], 64);
    EXPECT_EQ(entries_of_length[6], 48);
    EXPECT_EQ(entries_of_length[7], 48);
    EXPECT_EQ(entries_of_length[8], 16);

    const uint8_t first_codes[] = {0x00, 0x20, 0x30, 0x40, 0x50, 0x58, 0x60};
    for (int s = 0; s < 7; ++s) EXPECT_EQ(codes.encode_code[s], first_codes[s]) << "symbol " << s;
    EXPECT_EQ(codes.encode_code[63], 0xFF);
    for (int s = 0; s < 64; ++s) {
        EXPECT_EQ(codes.decode_code[codes.encode_code[s]], s);
        EXPECT_EQ(codes.decode_len[codes.encode_code[s]], codes.encode_len[s]);
    }
}

// What a round trip cannot see: a rebuild that both sides get wrong the same way. The sibling
// order (counts never decrease with the node index, each internal count is the sum of its
// pair) must survive rebuilds, every leaf count is halved rounding up, and a start tree
// rebuilds into itself, because halving a count of 1 gives 1 and an equal sum is placed above
// the entries it equals.
void ExpectOrderedTree(const lzh::HuffmanTree& tree) {
    for (int node = 0; node < lzh::kRoot; ++node) ASSERT_LE(tree.freq[node], tree.freq[node + 1]) << node;
    for (int node = 0; node < lzh::kNodes; ++node) {
        int child = tree.son[node];
        if (child >= lzh::kNodes) {
            ASSERT_EQ(tree.prnt[child], node);
            continue;
        }
        ASSERT_LT(child, node);
        ASSERT_EQ(child % 2, 0);
        ASSERT_EQ(tree.freq[node], tree.freq[child] + tree.freq[child + 1]) << node;
        ASSERT_EQ(tree.prnt[child], node);
        ASSERT_EQ(tree.prnt[child + 1], node);
    }
}

TEST(LzhTree, RebuildKeepsTheSiblingOrder) {
    auto start = std::make_unique<lzh::HuffmanTree>();
    start->Start();
    auto tree = std::make_unique<lzh::HuffmanTree>(*start);
    tree->Rebuild();
    EXPECT_TRUE(std::equal(std::begin(tree->freq), std::end(tree->freq), std::begin(start->freq)));
    EXPECT_TRUE(std::equal(std::begin(tree->son), std::end(tree->son), std::begin(start->son)));
    EXPECT_TRUE(std::equal(std::begin(tree->prnt), std::end(tree->prnt), std::begin(start->prnt)));

    // A skewed symbol mix, long enough for several rebuilds.
    std::mt19937 random(5);
    int rebuilds = 0;
    auto leaf_count = [&tree](int symbol) { return tree->freq[tree->prnt[symbol + lzh::kNodes]]; };
    std::vector<unsigned> before(lzh::kSymbols);
    for (int n = 0; n < 90000; ++n) {
        bool rebuilding = tree->freq[lzh::kRoot] == lzh::kMaxFreq;
        for (int s = 0; rebuilding && s < lzh::kSymbols; ++s) before[s] = leaf_count(s);
        unsigned r = random();
        int symbol = static_cast<int>(r % 8 == 0 ? r % lzh::kSymbols : r % 5 * (r % 3));
        tree->Update(symbol);
        if (!rebuilding) continue;
        ++rebuilds;
        ASSERT_NO_FATAL_FAILURE(ExpectOrderedTree(*tree)) << "after rebuild " << rebuilds;
        for (int s = 0; s < lzh::kSymbols; ++s)  // halved rounding up, then the symbol counted
            ASSERT_EQ(leaf_count(s), (before[s] + 1) / 2 + (s == symbol)) << "symbol " << s;
    }
    EXPECT_GE(rebuilds, 3);
    ExpectOrderedTree(*tree);
}

TEST(LzhRoundTrip, PackedArchivesUnpackToThemselves) {
    struct Case {
        const char* name;
        Bytes archive;
        size_t max_package = 0;  // 0: no bound
        size_t min_rebuilds = 0;
        size_t literals = 0, matches = 0;  // checked when matches is not 0
    };
    const Bytes block = RandomBytes(4096, 7);
    const Case cases[] = {
        {"empty", {}},
        {"one byte", Text("A")},
        {"three equal bytes", Text("aaa")},
        {"4096 bytes", IniLikeText(4096)},
        {"4097 bytes", IniLikeText(4097)},
        // Random data only compresses through matches at distance exactly 4096.
        {"random block three times", Repeated(block, 3), 4096 + 2048},
        // One literal, then overlapping distance-1 matches of the longest length.
        {"200000 equal bytes", Bytes(200000, 0x5A), 0, 0, 1, (200000 - 1 + 59) / 60},
        {"60000 bytes with copies", RandomWithCopies(60000, 11), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        skinpack::LzhStats stats;
        Bytes package = skinpack::PackLzh(c.archive, stats);
        EXPECT_EQ(skinpack::PackLzh(c.archive), package) << "not deterministic";
        Unpacked unpacked = Unpack(package);
        EXPECT_TRUE(unpacked.accepted);
        EXPECT_TRUE(unpacked.archive == c.archive) << "decoded " << unpacked.archive.size() << " bytes";
        if (c.max_package != 0) {
            EXPECT_LE(package.size(), c.max_package);
        }
        EXPECT_GE(stats.rebuilds, c.min_rebuilds);
        if (c.matches != 0) {
            EXPECT_EQ(stats.literals, c.literals);
            EXPECT_EQ(stats.matches, c.matches);
        }
    }
}

// After the tree start every symbol has count 1; symbol c sits at node c, and the parent of
// node k is 314 + k / 2, up to the root 626. Its code is the parity of each node on the way,
// read from the root down. 'A' (65): nodes 65 346 487 557 592 610 619 623 625 give, root
// first, 111001101; 'B' (66): 66 347 487 ... gives 111001110. Counting 'A' moves it past the
// run of count-1 nodes to node 313, exchanging it with symbol 313, whose code becomes that of
// node 313: 11000101.
TEST(LzhKnownStreams, FirstSymbolsFollowTheStartTree) {
    struct Case {
        const char* name;
        Bytes archive;
        Bytes package;
    };
    const Case cases[] = {
        {"A", Text("A"), Package(1, Bits("111001101"))},
        {"AB", Text("AB"), Package(2, Bits("111001101 111001110"))},
        {"AA", Text("AA"), Package(2, Bits("111001101 11000101"))},
        // 'A', then 60 bytes at distance 1: symbol 313 now has the start code of 'A'; the
        // position code of upper-6-bit symbol 0 is 000, then the low bits 000000.
        {"61 x A", Bytes(61, 'A'), Package(61, Bits("111001101 111001101 000 000000"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(skinpack::PackLzh(c.archive), c.package);
        EXPECT_EQ(Unpack(c.package).archive, c.archive);
    }
}

// Streams whose first token is a match (symbol 313: 60 bytes, code 11000101 after the tree
// start; the position code of upper-6-bit symbol 63 is 11111111), or the "61 x A" stream.
TEST(LzhKnownStreams, MatchesReadTheRingAndStopAtTheSize) {
    struct Case {
        const char* name;
        int32_t unpacked;
        std::string bits;
        Bytes archive;
    };
    auto concat = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        // Position 4035: ring 0..59, the spaces before the first write position.
        {"spaces before the start", 60, "11000101 11111111 000011", Bytes(60, ' ')},
        // Position 4091: ring 4040..4095 are never written before they are read, then 0..3.
        {"unwritten ring end", 60, "11000101 11111111 111011", concat(Bytes(56, 0), Bytes(4, ' '))},
        {"match cut at the size", 7, "11000101 11111111 000011", Bytes(7, ' ')},
        // 'A', then distance 1 for 60 bytes, of which only 9 are wanted.
        {"last match cut after a literal", 10, "111001101 111001101 000 000000", Bytes(10, 'A')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Unpacked unpacked = Unpack(Package(c.unpacked, Bits(c.bits)));
        EXPECT_TRUE(unpacked.accepted);
        EXPECT_EQ(unpacked.archive, c.archive);
    }
}

TEST(LzhPackageBounds, SizesTheStreamCannotHoldAreRefused) {
    struct Case {
        const char* name;
        int32_t unpacked;
        size_t stream_length;
        bool accepted;
        size_t archive_size;
    };
    const Case cases[] = {
        {"huge size, 10-byte stream", 0x7FFFFFFF, 10, false, 0},
        {"64 x stream + 64", 64 * 10 + 64, 10, true, 64 * 10 + 64},
        {"one more", 64 * 10 + 65, 10, false, 0},
        {"empty stream", 64, 0, true, 64},
        {"above 64 MiB with a long stream", 64 * 1024 * 1024 + 1, 2 * 1024 * 1024, false, 0},
        {"zero size", 0, 10, true, 0},
        {"negative size", -5, 10, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Unpacked unpacked = Unpack(Package(c.unpacked, Bytes(c.stream_length, 0xA5)));
        EXPECT_EQ(unpacked.accepted, c.accepted);
        EXPECT_EQ(unpacked.archive.size(), c.archive_size);
    }
    for (size_t length = 0; length < 4; ++length) {
        Unpacked unpacked = Unpack(Bytes(length, 0xFF));
        EXPECT_TRUE(unpacked.accepted) << length << " bytes";
        EXPECT_TRUE(unpacked.archive.empty()) << length << " bytes";
    }
}

TEST(LzhPackageBounds, CutStreamDecodesAsIfZerosFollowed) {
    const Bytes archive = RandomWithCopies(20000, 3);
    const Bytes package = skinpack::PackLzh(archive);
    const Bytes cut(package.begin(), package.begin() + package.size() / 2);
    Bytes zero_filled = cut;
    zero_filled.resize(package.size(), 0);

    Unpacked from_cut = Unpack(cut);
    EXPECT_TRUE(from_cut.accepted);
    ASSERT_EQ(from_cut.archive.size(), archive.size());
    EXPECT_EQ(from_cut.archive, Unpack(zero_filled).archive);
    EXPECT_TRUE(std::equal(archive.begin(), archive.begin() + 1000, from_cut.archive.begin()));
}

}  // namespace
}  // namespace skin

#include "lzh_decoder.h"

#include <cstring>
#include <new>

namespace skin {

using namespace lzh;

namespace {

constexpr int kTextSize = kRingSize + kLongestMatch - 1;  // N + F - 1
constexpr size_t kChunkSize = 4096;

}  // namespace

struct TLZH::Tables {
    uint8_t text[kTextSize];
    HuffmanTree tree;
    uint8_t input[kChunkSize];
    size_t input_pos = 0;
    size_t input_len = 0;
    uint8_t output[kChunkSize];
    size_t output_len = 0;
    int ring_pos = kRingStart;
};

TK_CLASS_INFO(TLZH, tk::TObject)

TLZH::TLZH(InputProc input, OutputProc output) : input_(std::move(input)), output_(std::move(output)) {}

TLZH::~TLZH() = default;

void TLZH::AcquireTables() {
    tables_.reset(new (std::nothrow) Tables);
    if (!tables_) throw ElzhException(kLzhAllocFailed);
}

void TLZH::ReleaseTables() {
    tables_.reset();
}

void TLZH::StartRing() {
    // Only the first N - F bytes are defined as spaces; the rest is zeroed so that a match
    // reaching them before they are written still gives the same bytes every time.
    std::memset(tables_->text, 0, sizeof tables_->text);
    std::memset(tables_->text, ' ', kRingStart);
    tables_->ring_pos = kRingStart;
}

uint8_t TLZH::NextInputByte() {
    Tables& t = *tables_;
    if (t.input_pos == t.input_len) {
        t.input_pos = 0;
        t.input_len = input_ended_ ? 0 : input_(t.input, sizeof t.input);
        if (t.input_len == 0) {
            input_ended_ = true;
            return 0;
        }
    }
    return t.input[t.input_pos++];
}

void TLZH::FillBitBuffer() {
    while (bit_count_ <= 8) {
        bit_buffer_ = static_cast<uint16_t>(bit_buffer_ | (NextInputByte() << (8 - bit_count_)));
        bit_count_ += 8;
    }
}

int TLZH::GetBit() {
    FillBitBuffer();
    int bit = bit_buffer_ >> 15;
    bit_buffer_ = static_cast<uint16_t>(bit_buffer_ << 1);
    --bit_count_;
    return bit;
}

int TLZH::GetByte() {
    FillBitBuffer();
    int byte = bit_buffer_ >> 8;
    bit_buffer_ = static_cast<uint16_t>(bit_buffer_ << 8);
    bit_count_ -= 8;
    return byte;
}

int TLZH::DecodeChar() {
    HuffmanTree& tree = tables_->tree;
    int c = tree.son[kRoot];
    while (c < kNodes) c = tree.son[c + GetBit()];
    c -= kNodes;
    tree.Update(c);
    return c;
}

int TLZH::DecodePosition() {
    const PositionCodes& codes = Positions();
    int i = GetByte();
    int upper = codes.decode_code[i] << 6;
    for (int extra = codes.decode_len[i] - 2; extra > 0; --extra) i = (i << 1) + GetBit();
    return upper | (i & 0x3F);
}

void TLZH::Put(uint8_t byte) {
    Tables& t = *tables_;
    t.text[t.ring_pos] = byte;
    t.ring_pos = (t.ring_pos + 1) & (kRingSize - 1);
    t.output[t.output_len++] = byte;
    if (t.output_len == sizeof t.output) FlushOutput();
}

void TLZH::FlushOutput() {
    Tables& t = *tables_;
    if (t.output_len == 0) return;
    output_(t.output, t.output_len);
    t.output_len = 0;
}

void TLZH::Decode(int64_t size) {
    if (size <= 0) return;
    AcquireTables();
    struct Release {
        TLZH& lzh;
        ~Release() { lzh.ReleaseTables(); }
    } release{*this};

    bit_buffer_ = 0;
    bit_count_ = 0;
    input_ended_ = false;
    tables_->tree.Start();
    StartRing();

    int64_t produced = 0;
    while (produced < size) {
        int c = DecodeChar();
        if (c < 256) {
            Put(static_cast<uint8_t>(c));
            ++produced;
            continue;
        }
        int from = (tables_->ring_pos - DecodePosition() - 1) & (kRingSize - 1);
        int length = c - 255 + kThreshold;
        for (int k = 0; k < length && produced < size; ++k, ++produced)
            Put(tables_->text[(from + k) & (kRingSize - 1)]);
    }
    FlushOutput();
}

namespace {

int32_t ReadUnpackedSize(tk::TStream& package) {
    uint8_t bytes[4];
    if (package.Read(bytes, sizeof bytes) != sizeof bytes) return 0;
    uint32_t u = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(u);
}

bool UnpackedSizeFits(int64_t unpacked, int64_t stream_length) {
    return unpacked <= kMaxUnpackedSize && unpacked <= kMaxExpansion * stream_length + kExpansionSlack;
}

}  // namespace

bool UnpackPackage(tk::TStream& package, tk::TMemoryStream& archive) {
    archive.Clear();
    int64_t package_length = package.Size();
    package.SetPosition(0);
    int64_t unpacked = ReadUnpackedSize(package);
    if (unpacked <= 0) return true;  // the caller then finds no valid archive version
    if (!UnpackedSizeFits(unpacked, package_length - 4)) return false;

    TLZH lzh([&package](void* buffer, size_t count) { return package.Read(buffer, count); },
             [&archive](const void* data, size_t count) { archive.WriteBuffer(data, count); });
    lzh.Decode(unpacked);
    archive.SetPosition(0);
    return true;
}

}  // namespace skin

// The LZHUF decoder of skin packages. A package is an int32 U (the unpacked size) followed by
// the bit stream; the decoder produces exactly U bytes and reads a short stream as if zero
// bytes followed. No Windows headers: the packer tool and the fuzz target use it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "class_info.h"
#include "exceptions.h"
#include "lzh_tree.h"
#include "streams.h"

namespace skin {

class ElzhException : public tk::Exception {
public:
    explicit ElzhException(std::wstring message) : tk::Exception(std::move(message)) {}
};

inline constexpr wchar_t kLzhAllocFailed[] = L"LZH : Cannot get memory for dictionary tables";
// Kept for the error tree's completeness: releasing the tables cannot fail in this build.
inline constexpr wchar_t kLzhFreeFailed[] = L"LZH : Error freeing memory for dictionary tables";

// Bounds on U a package must respect before anything is decoded, so that a corrupt size
// cannot make the player allocate or loop without end.
inline constexpr int64_t kMaxUnpackedSize = 64 * 1024 * 1024;
inline constexpr int64_t kMaxExpansion = 64;  // output bytes per stream byte, plus the slack
inline constexpr int64_t kExpansionSlack = 64;

class TLZH : public tk::TObject {
    TK_CLASS(TLZH)
public:
    using InputProc = std::function<size_t(void* buffer, size_t count)>;
    using OutputProc = std::function<void(const void* data, size_t count)>;

    TLZH(InputProc input, OutputProc output);
    ~TLZH() override;

    // Decodes tokens until `size` bytes are out; the last match is cut at `size`.
    // ElzhException when the work tables cannot be allocated.
    void Decode(int64_t size);

private:
    struct Tables;

    void AcquireTables();
    void ReleaseTables();
    void StartRing();
    uint8_t NextInputByte();
    void FillBitBuffer();
    int GetBit();
    int GetByte();
    int DecodeChar();
    int DecodePosition();
    void Put(uint8_t byte);
    void FlushOutput();

    InputProc input_;
    OutputProc output_;
    uint16_t bit_buffer_ = 0;
    int bit_count_ = 0;
    bool input_ended_ = false;
    std::unique_ptr<Tables> tables_;  // text buffer, tree and I/O chunks; only during Decode
};

// Decodes a package into archive (cleared first, left positioned at 0). False, with the
// archive empty, when U is beyond kMaxUnpackedSize or the stream is too short to expand to
// U bytes. U of 0 or less (or a package under 4 bytes) gives true and an empty archive.
bool UnpackPackage(tk::TStream& package, tk::TMemoryStream& archive);

}  // namespace skin

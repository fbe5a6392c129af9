// Arbitrary bytes as a skin package: the decoder must refuse or produce exactly U bytes, and
// never read or write outside its tables.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lzh_decoder.h"
#include "streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tk::TBoundedStream package(data, size);
    tk::TMemoryStream archive;
    bool accepted = skin::UnpackPackage(package, archive);

    int32_t unpacked = 0;
    if (size >= 4) std::memcpy(&unpacked, data, 4);  // the fuzz build is little-endian i386
    int64_t expected = accepted && unpacked > 0 ? unpacked : 0;
    if (archive.Size() != expected) __builtin_trap();
    return 0;
}

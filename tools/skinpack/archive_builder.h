// Writes unpacked skin archives and their packages. With its defaults it writes what the skin
// packer ships: the ini and picture members listed in order, names joined by CR LF, zero bytes
// where the reader skips. Every field the reader checks also has a knob, so tests and the
// fixture generator can write archives that are broken on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skinpack {

struct Member {
    std::string name;
    std::string bytes;
};

// Where the name list starts for each archive version (16 for any other version).
size_t ListOffset(int32_t version);

struct ArchiveSpec {
    int32_t version = 20000;
    std::vector<Member> members;
    std::optional<size_t> listOffset;           // O; default ListOffset(version)
    std::optional<std::string> nameList;        // exact list bytes; default the names joined by CR LF
    std::optional<int32_t> listLength;          // L as written; default the list's byte length
    std::optional<std::vector<int32_t>> sizes;  // default the members' byte lengths
    std::string trailing;                       // bytes after the last member
    std::optional<size_t> truncateTo;           // cut the finished archive to this many bytes
    std::array<uint8_t, 8> unread{};            // the 8 header bytes after L
    uint8_t skippedByte = 0;                    // fills the bytes between the header and O
};

// Knobs on the package around the packed archive.
struct PackageSpec {
    std::optional<int32_t> unpackedSize;         // U as written; default the archive's length
    std::optional<std::vector<uint8_t>> stream;  // the bit stream; default the encoded archive
    std::optional<size_t> streamTruncateTo;      // cut the bit stream to this many bytes
};

std::vector<uint8_t> BuildArchive(const ArchiveSpec& spec);
// int32 U, then the LZHUF bit stream of the archive.
std::vector<uint8_t> BuildPackage(const ArchiveSpec& spec, const PackageSpec& package = {});
// The form property's bytes: int32 n (the package size), then the n package bytes.
std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& package);

}  // namespace skinpack

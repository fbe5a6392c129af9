// Builds unpacked skin archives for the reader's tests, valid ones and ones broken on purpose.
// Every field the reader checks has a knob; unset knobs give the archive a packer would write,
// except that the bytes the reader must skip are filled with a non-zero pattern.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "streams.h"

namespace skin::fixture {

struct Member {
    std::string name;
    std::string bytes;
};

struct ArchiveSpec {
    int32_t version = 20000;
    std::vector<Member> members;
    std::optional<size_t> listOffset;          // O; default 16, 272 or 96 by version (16 otherwise)
    std::optional<std::string> nameList;       // exact list bytes; default the names joined by CR LF
    std::optional<int32_t> listLength;         // L as written; default the list's byte length
    std::optional<std::vector<int32_t>> sizes; // default the members' byte lengths
    std::string trailing;                      // bytes after the last member
    std::optional<size_t> truncateTo;          // cut the finished archive to this many bytes
    std::array<uint8_t, 8> unread{1, 2, 3, 4, 5, 6, 7, 8};
};

std::vector<uint8_t> BuildArchive(const ArchiveSpec& spec);
// The archive packed as the skin packer writes it: int32 U, then the LZHUF bit stream.
std::vector<uint8_t> BuildPackage(const ArchiveSpec& spec);

// Replaces stream's contents with bytes, positioned at 0.
void LoadStream(tk::TMemoryStream& stream, const std::vector<uint8_t>& bytes);
std::string StreamText(tk::TMemoryStream& stream);

}  // namespace skin::fixture

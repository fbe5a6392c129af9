// Archives for the reader's tests, from the skin packer's archive builder. Unlike the packer,
// the fixture fills the bytes the reader must skip with a non-zero pattern, so a reader that
// looked at them would be caught.
#pragma once

#include <string>
#include <vector>

#include "archive_builder.h"
#include "streams.h"

namespace skin::fixture {

using skinpack::BuildArchive;
using skinpack::BuildPackage;
using skinpack::Member;

struct ArchiveSpec : skinpack::ArchiveSpec {
    ArchiveSpec() {
        unread = {1, 2, 3, 4, 5, 6, 7, 8};
        skippedByte = 0xA5;
    }
};

// Replaces stream's contents with bytes, positioned at 0.
inline void LoadStream(tk::TMemoryStream& stream, const std::vector<uint8_t>& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

inline std::string StreamText(tk::TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace skin::fixture

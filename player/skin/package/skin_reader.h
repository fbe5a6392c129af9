// Reads a skin package: unpacks the LZH archive, checks its version, parses the member list
// and hands out members by name. Member names are ASCII byte strings, lower-cased when read.
//
// Archive layout (little-endian int32): version, L, 8 unread bytes; at O (16, 272 or 96 for
// versions 20000, 30000, 40000) L bytes of names, one per line; then one size per name; then
// the member bytes, concatenated in name order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "class_info.h"
#include "streams.h"

namespace skin {

struct ArchiveHeader {
    int32_t version = 0;
    int32_t nameListLength = 0;  // L
    uint8_t unread[8] = {};
};

class TSkinReader : public tk::TObject {
    TK_CLASS(TSkinReader)
public:
    static constexpr int kMaxMembers = 1001;
    static constexpr size_t kHeaderSize = 16;

    // Unpacks and reads package. False, with nothing loaded, when the decoder refuses it, the
    // version is unknown (the user is told) or the archive does not hold what its list says.
    bool OpenPackage(tk::TMemoryStream& package);
    // The parse step of OpenPackage on an unpacked archive.
    bool ReadArchive(tk::TMemoryStream& archive);

    // Copies the first member named name (any case) into out, positioned at 0; else out stays empty.
    void ExtractByName(const std::string& name, tk::TMemoryStream& out) const;
    // Copies the first member whose lower-case name contains text (case-sensitive) into out and
    // sets name to it; else out stays empty and name unchanged.
    void ExtractContaining(const std::string& text, tk::TMemoryStream& out, std::string& name) const;

    const std::vector<std::string>& Names() const { return names_; }
    int MemberCount() const { return memberCount_; }
    const ArchiveHeader& Header() const { return header_; }

private:
    void Clear();
    void CopyMember(int index, tk::TMemoryStream& out) const;

    std::vector<std::string> names_;
    int memberCount_ = 0;
    std::array<int32_t, kMaxMembers> sizes_{};
    tk::TMemoryStream data_;
    ArchiveHeader header_;
};

}  // namespace skin

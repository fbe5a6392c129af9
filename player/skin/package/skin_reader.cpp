#include "skin_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "byte_text.h"
#include "lzh_decoder.h"
#include "skin_messages.h"

namespace skin {

TK_CLASS_INFO(TSkinReader, tk::TObject)

namespace {

// Where the name list starts for each known archive version; the bytes before it past the
// header are not read.
std::optional<size_t> NameListOffset(int32_t version) {
    switch (version) {
        case 20000: return 16;
        case 30000: return 272;
        case 40000: return 96;
        default: return std::nullopt;
    }
}

int32_t ReadInt32(const uint8_t* bytes) {
    uint32_t value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
    return static_cast<int32_t>(value);
}

ArchiveHeader ReadHeader(const uint8_t* bytes) {
    ArchiveHeader header;
    header.version = ReadInt32(bytes);
    header.nameListLength = ReadInt32(bytes + 4);
    std::memcpy(header.unread, bytes + 8, sizeof header.unread);
    return header;
}

// Lines broken by CR LF, CR or LF; a break at the very end starts no further line, while
// empty lines in the middle count (LF CR is two breaks).
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = std::min(text.find_first_of("\r\n", position), text.size());
        lines.emplace_back(text.substr(position, end - position));
        position = end;
        if (position < text.size() && text[position] == '\r') ++position;
        if (position < text.size() && text[position] == '\n') ++position;
    }
    return lines;
}

// What the list part of an archive says, once it is known to fit the archive.
struct MemberTable {
    std::vector<std::string> names;
    std::array<int32_t, TSkinReader::kMaxMembers> sizes{};
    size_t dataStart = 0;
};

// Nullopt when the list, the size table or the members would lie outside the archive.
std::optional<MemberTable> ReadMemberTable(const uint8_t* bytes, size_t size, size_t listOffset, int32_t listLength) {
    if (listLength < 0 || listOffset + static_cast<size_t>(listLength) > size) return std::nullopt;
    MemberTable table;
    std::string list(reinterpret_cast<const char*>(bytes + listOffset), static_cast<size_t>(listLength));
    table.names = SplitLines(AsciiLowerCase(std::move(list)));
    if (table.names.size() > static_cast<size_t>(TSkinReader::kMaxMembers)) return std::nullopt;

    size_t sizesOffset = listOffset + static_cast<size_t>(listLength);
    table.dataStart = sizesOffset + 4 * table.names.size();
    if (table.dataStart > size) return std::nullopt;
    int64_t total = 0;
    for (size_t i = 0; i < table.names.size(); ++i) {
        table.sizes[i] = ReadInt32(bytes + sizesOffset + 4 * i);
        if (table.sizes[i] < 0) return std::nullopt;
        total += table.sizes[i];
    }
    if (total > static_cast<int64_t>(size - table.dataStart)) return std::nullopt;
    return table;
}

}  // namespace

bool TSkinReader::OpenPackage(tk::TMemoryStream& package) {
    Clear();
    tk::TMemoryStream archive;
    if (!UnpackPackage(package, archive)) return false;
    return ReadArchive(archive);
}

bool TSkinReader::ReadArchive(tk::TMemoryStream& archive) {
    Clear();
    const uint8_t* bytes = archive.Memory();
    size_t size = static_cast<size_t>(archive.Size());
    // Too short to hold a version counts as an unknown version.
    std::optional<ArchiveHeader> header = size >= kHeaderSize ? std::optional(ReadHeader(bytes)) : std::nullopt;
    std::optional<size_t> listOffset = header ? NameListOffset(header->version) : std::nullopt;
    if (!listOffset) {
        ShowSkinMessage(kVersionMismatchMessage);
        return false;
    }
    std::optional<MemberTable> table = ReadMemberTable(bytes, size, *listOffset, header->nameListLength);
    if (!table) return false;

    header_ = *header;
    names_ = std::move(table->names);
    memberCount_ = static_cast<int>(names_.size());
    sizes_ = table->sizes;
    data_.WriteBuffer(bytes + table->dataStart, size - table->dataStart);
    data_.SetPosition(0);
    return true;
}

void TSkinReader::ExtractByName(const std::string& name, tk::TMemoryStream& out) const {
    out.Clear();
    auto found = std::find(names_.begin(), names_.end(), AsciiLowerCase(name));
    if (found != names_.end()) CopyMember(static_cast<int>(found - names_.begin()), out);
}

void TSkinReader::ExtractContaining(const std::string& text, tk::TMemoryStream& out, std::string& name) const {
    out.Clear();
    auto found = std::find_if(names_.begin(), names_.end(),
                              [&](const std::string& member) { return member.find(text) != std::string::npos; });
    if (found == names_.end()) return;
    CopyMember(static_cast<int>(found - names_.begin()), out);
    name = *found;
}

void TSkinReader::Clear() {
    names_.clear();
    memberCount_ = 0;
    sizes_.fill(0);
    data_.Clear();
    header_ = ArchiveHeader{};
}

// A member starts where the members before it end; ReadArchive made sure all of them fit.
void TSkinReader::CopyMember(int index, tk::TMemoryStream& out) const {
    size_t offset = 0;
    for (int i = 0; i < index; ++i) offset += static_cast<size_t>(sizes_[i]);
    size_t size = static_cast<size_t>(sizes_[index]);
    if (size != 0) out.WriteBuffer(data_.Memory() + offset, size);
    out.SetPosition(0);
}

}  // namespace skin

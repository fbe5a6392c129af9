#include "archive_builder.h"

#include <algorithm>

#include "lzh_encoder.h"

namespace skinpack {
namespace {

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

void PutText(std::vector<uint8_t>& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

std::string JoinedNames(const std::vector<Member>& members) {
    std::string list;
    for (size_t i = 0; i < members.size(); ++i) list += (i ? "\r\n" : "") + members[i].name;
    return list;
}

std::vector<int32_t> MemberSizes(const std::vector<Member>& members) {
    std::vector<int32_t> sizes;
    for (const Member& member : members) sizes.push_back(static_cast<int32_t>(member.bytes.size()));
    return sizes;
}

}  // namespace

size_t ListOffset(int32_t version) {
    switch (version) {
        case 30000: return 272;
        case 40000: return 96;
        default: return 16;
    }
}

std::vector<uint8_t> BuildArchive(const ArchiveSpec& spec) {
    const std::string list = spec.nameList.value_or(JoinedNames(spec.members));
    std::vector<uint8_t> out;
    PutInt32(out, spec.version);
    PutInt32(out, spec.listLength.value_or(static_cast<int32_t>(list.size())));
    out.insert(out.end(), spec.unread.begin(), spec.unread.end());
    out.resize(std::max(out.size(), spec.listOffset.value_or(ListOffset(spec.version))), spec.skippedByte);
    PutText(out, list);
    for (int32_t size : spec.sizes.value_or(MemberSizes(spec.members))) PutInt32(out, size);
    for (const Member& member : spec.members) PutText(out, member.bytes);
    PutText(out, spec.trailing);
    if (spec.truncateTo && *spec.truncateTo < out.size()) out.resize(*spec.truncateTo);
    return out;
}

std::vector<uint8_t> BuildPackage(const ArchiveSpec& spec, const PackageSpec& package) {
    std::vector<uint8_t> archive = BuildArchive(spec);
    std::vector<uint8_t> packed = PackLzh(archive);
    std::vector<uint8_t> out;
    PutInt32(out, package.unpackedSize.value_or(static_cast<int32_t>(archive.size())));
    std::vector<uint8_t> stream = package.stream.value_or(std::vector<uint8_t>(packed.begin() + 4, packed.end()));
    if (package.streamTruncateTo && *package.streamTruncateTo < stream.size()) stream.resize(*package.streamTruncateTo);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& package) {
    std::vector<uint8_t> out(4 + package.size());
    const uint32_t size = static_cast<uint32_t>(package.size());
    for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * i));
    std::copy(package.begin(), package.end(), out.begin() + 4);
    return out;
}

}  // namespace skinpack

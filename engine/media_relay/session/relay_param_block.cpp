#include "session/relay_param_block.h"

#include <algorithm>
#include <cstring>

#include "packets/wire_bytes.h"

namespace relay_param {
namespace {

bool Inside(uint32_t length, uint32_t offset, uint32_t size) {
    return offset <= length && size <= length - offset;
}

uint32_t ReadWord(const uint8_t* block, uint32_t length, uint32_t offset) {
    return Inside(length, offset, 4) ? ReadU32(block + offset) : 0;
}

void* ReadAddress(const uint8_t* block, uint32_t length, uint32_t offset) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(ReadWord(block, length, offset)));
}

// Up to 63 characters, stopping at a NUL or at the end of the block.
void ReadText(const uint8_t* block, uint32_t length, uint32_t offset, char* out) {
    std::memset(out, 0, kTextField);
    if (offset >= length) return;
    const uint32_t available = std::min(length - offset, kTextMax);
    const char* text = reinterpret_cast<const char*>(block + offset);
    std::memcpy(out, text, strnlen(text, available));
}

// How many records of `size` bytes from `offset` the block holds.
uint32_t RecordsPresent(uint32_t length, uint32_t offset, uint32_t size) {
    return offset < length ? (length - offset) / size : 0;
}

}  // namespace

bool ReadRelayParams(uint8_t* block, RelayParams* out) {
    *out = RelayParams{};
    if (!block) return false;
    // The length word itself must be there; the framework host never passes less.
    const uint32_t length = ReadU32(block + kTotalLength);
    out->length = length;

    if (Inside(length, kComponentGuid, 16)) std::memcpy(out->channel_guid, block + kComponentGuid, 16);
    if (Inside(length, kUdpSocket, 4)) out->udp_socket = static_cast<int32_t>(ReadU32(block + kUdpSocket));
    out->sys_info = static_cast<uint8_t*>(ReadAddress(block, length, kSysInfoBlock));
    out->create_net_request =
        reinterpret_cast<CreateNetRequestFn>(ReadAddress(block, length, kCreateNetRequest));
    ReadText(block, length, kText1, out->text1);
    ReadText(block, length, kText2, out->text2);
    out->type_one_word = ReadWord(block, length, kTypeOneWord);

    if (Inside(length, kLinkCount, 2)) {
        const uint32_t stated = ReadU16(block + kLinkCount);
        out->link_count = std::min({stated, kMaxLinks, RecordsPresent(length, kLinkEntries, kLinkEntrySize)});
        if (out->link_count) out->link_entries = block + kLinkEntries;
    }
    if (Inside(length, kSourceCount, 4)) {
        const uint32_t stated = ReadU32(block + kSourceCount);
        out->source_count =
            std::min({stated, kMaxSourcePeers, RecordsPresent(length, kSourcePeers, kSourcePeerSize)});
        if (out->source_count) out->source_peers = block + kSourcePeers;
    }
    return true;
}

void FillOwnReportValues(uint8_t* entry, uint32_t own_ipv4, uint16_t own_tcp, uint16_t own_udp) {
    const uint32_t report_ipv4 = ReadIPv4(entry + kLinkReportIPv4);
    if (report_ipv4 == 0 || report_ipv4 == 0xFFFFFFFFu) WriteIPv4(entry + kLinkReportIPv4, own_ipv4);
    if (ReadU16(entry + kLinkReportTcp) == 0) WriteU16(entry + kLinkReportTcp, own_tcp);
    if (ReadU16(entry + kLinkReportUdp) == 0) WriteU16(entry + kLinkReportUdp, own_udp);
}

}  // namespace relay_param

// Arbitrary creation blocks into the relay module's reading of them. The framework host hands a
// component a copy of exactly the length the block states, so the length word is set to the
// input's size here; every field the reader reports, and every link entry it fills in, must lie
// inside that length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "field_sink.h"
#include "packets/wire_bytes.h"
#include "session/relay_param_block.h"

using field_sink::Touch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > 4096) return 0;
    std::vector<uint8_t> block(data, data + size);
    WriteU32(block.data(), static_cast<uint32_t>(size));

    relay_param::RelayParams params;
    if (!relay_param::ReadRelayParams(block.data(), &params)) return 0;
    Touch(static_cast<uint32_t>(std::strlen(params.text1) + std::strlen(params.text2)) + params.type_one_word +
          static_cast<uint32_t>(params.udp_socket));
    for (uint32_t i = 0; i < params.link_count; ++i) {
        uint8_t* entry = params.link_entries + i * relay_param::kLinkEntrySize;
        relay_param::FillOwnReportValues(entry, 0x0100007F, 3040, 6171);
        Touch(ReadU32(entry + relay_param::kLinkReportIPv4));
    }
    for (uint32_t i = 0; i < params.source_count; ++i) {
        Touch(ReadU32(params.source_peers + i * relay_param::kSourcePeerSize + 4));
    }
    return 0;
}

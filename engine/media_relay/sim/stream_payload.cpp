#include "stream_payload.h"

#include "packets/wire_bytes.h"

namespace sim {
namespace stream_payload {

uint8_t FillerByte(uint32_t piece, uint32_t index) {
    const uint32_t mixed = (piece * 2654435761u) ^ (index * 40503u) ^ (index >> 7);
    return static_cast<uint8_t>(mixed ^ (mixed >> 11) ^ (mixed >> 23));
}

uint32_t HeadCheck(uint32_t piece, uint32_t time_stamp, uint16_t filler_length) {
    uint32_t h = 2166136261u;
    for (uint32_t word : {piece, time_stamp, static_cast<uint32_t>(filler_length)}) {
        h = (h ^ word) * 16777619u;
        h ^= h >> 15;
    }
    return h;
}

std::vector<uint8_t> Record(uint32_t piece, uint32_t time_stamp, uint32_t offset, uint32_t record_bytes) {
    if (record_bytes < kRecordHead) record_bytes = kRecordHead;
    const auto filler_length = static_cast<uint16_t>(record_bytes - kRecordHead);
    std::vector<uint8_t> record(kRecordHead + filler_length);
    uint8_t* p = record.data();
    WriteU16(p, filler_length);
    WriteU16(p + 2, kRecordKind);
    WriteU32(p + 4, piece);
    WriteU32(p + 8, time_stamp);
    WriteU32(p + 12, HeadCheck(piece, time_stamp, filler_length));
    WriteU32(p + 16, offset);
    WriteU32(p + 20, 0);
    for (uint32_t i = 0; i < filler_length; ++i) p[kRecordHead + i] = FillerByte(piece, i);
    return record;
}

RecordHead ReadHead(const uint8_t* p) {
    RecordHead head;
    head.filler_length = ReadU16(p);
    head.kind = ReadU16(p + 2);
    head.piece = ReadU32(p + 4);
    head.time_stamp = ReadU32(p + 8);
    head.check = ReadU32(p + 12);
    head.offset = ReadU32(p + 16);
    return head;
}

bool RecordIntact(const RecordHead& head, const uint8_t* filler) {
    if (head.kind != kRecordKind || head.check != HeadCheck(head.piece, head.time_stamp, head.filler_length))
        return false;
    const uint32_t m = head.filler_length;
    if (m == 0) return true;
    for (uint32_t k = 0; k < kSampledBytes; ++k) {
        const uint32_t i = static_cast<uint32_t>((static_cast<uint64_t>(m - 1) * k) / (kSampledBytes - 1));
        if (filler[i] != FillerByte(head.piece, i)) return false;
    }
    return true;
}

const std::string& HeaderData() {
    static const std::string data = "HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n\r\nTAIL";
    return data;
}

const std::string& ServedHeader() {
    static const std::string served = "TAIL";
    return served;
}

}  // namespace stream_payload
}  // namespace sim

// The content of the simulated channel, shared by the stream source that makes it and the
// players that check it. Each data piece carries one record: a 24-byte head (u16 m, u16 kind 1,
// u32 piece number, u32 time stamp, u32 check, u32 stream byte offset, u32 0) and m filler
// bytes that are a function of the piece number, so a player tells gaps, repeats and damage
// apart without the source's copy. The stream header is type 259 with its own HTTP head and a
// tail, as the stream source tool sends it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {
namespace stream_payload {

constexpr uint32_t kRecordHead = 24;
constexpr uint16_t kRecordKind = 1;
constexpr uint16_t kHeaderType = 259;
constexpr uint32_t kSampledBytes = 16;  // filler bytes a player checks per record

struct RecordHead {
    uint16_t filler_length = 0;
    uint16_t kind = 0;
    uint32_t piece = 0;
    uint32_t time_stamp = 0;
    uint32_t check = 0;
    uint32_t offset = 0;
};

uint8_t FillerByte(uint32_t piece, uint32_t index);
// The check word of a record head: mixes the piece, time stamp and filler length.
uint32_t HeadCheck(uint32_t piece, uint32_t time_stamp, uint16_t filler_length);
// The whole record of a piece: `record_bytes` long (at least the head).
std::vector<uint8_t> Record(uint32_t piece, uint32_t time_stamp, uint32_t offset, uint32_t record_bytes);
RecordHead ReadHead(const uint8_t* head);
// The head's check word holds and the sampled filler bytes are the piece's own.
bool RecordIntact(const RecordHead& head, const uint8_t* filler);

// The header piece's data: the HTTP head, then a tail the player must see after the reply.
const std::string& HeaderData();
// What a player receives as the header, behind the fixed reply: the part after the HTTP head.
const std::string& ServedHeader();

}  // namespace stream_payload
}  // namespace sim

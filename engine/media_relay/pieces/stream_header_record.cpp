#include "pieces/stream_header_record.h"

#include "packets/wire_bytes.h"

bool ParseStreamHeaderRecord(const uint8_t* bytes, uint32_t length, StreamHeaderRecord* out) {
    if (!bytes || length < kStreamHeaderFixedSize) return false;
    StreamHeaderRecord record;
    record.type = ReadU16(bytes);
    record.prefix_length = ReadU16(bytes + 2);
    record.data_length = ReadU16(bytes + 4);
    record.trailing_length = ReadU16(bytes + 6);
    const uint32_t needed = kStreamHeaderFixedSize + record.prefix_length + record.data_length;
    if (needed > length) return false;
    record.prefix = bytes + kStreamHeaderFixedSize;
    record.data = record.prefix + record.prefix_length;
    *out = record;
    return true;
}

bool IsKeyframeHeaderType(uint16_t type) {
    return type == kHeaderTypeKeyframeA || type == kHeaderTypeKeyframeB || type == kHeaderTypeKeyframeC;
}

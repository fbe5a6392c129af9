// Field groups that several packets carry: the status record, the own piece range and the
// source range a link server reports.
#pragma once

#include <cstdint>

constexpr uint32_t kStatusRecordSize = 8;
constexpr uint32_t kPieceRangeSize = 8;

// A copy of the statistics block's own status record.
struct StatusRecord {
    uint16_t reserved = 0;
    uint16_t send_rate_k = 0;  // own send rate / 1000
    uint8_t free_slots = 0;
    uint8_t outgoing = 0;
    uint8_t incoming = 0;
    uint8_t loss_percent = 0;

    bool operator==(const StatusRecord&) const = default;
};

StatusRecord ReadStatusRecord(const uint8_t* bytes);
void WriteStatusRecord(uint8_t* bytes, const StatusRecord& record);

// The data pieces this host holds.
struct PieceRange {
    uint32_t first = 0;
    uint32_t last = 0;

    bool operator==(const PieceRange&) const = default;
};

// The lowest and highest piece (inclusive) the channel source offers.
struct SourceRange {
    uint32_t low = 0;
    uint32_t high = 0;

    bool operator==(const SourceRange&) const = default;
};

PieceRange ReadPieceRange(const uint8_t* bytes);
void WritePieceRange(uint8_t* bytes, const PieceRange& range);
SourceRange ReadSourceRange(const uint8_t* bytes);
void WriteSourceRange(uint8_t* bytes, const SourceRange& range);

// Byte counters kept inside the statistics block (56 bytes, little-endian), which give transfer
// rates over the last five intervals and since a start tick. Two groups (A and B) count
// whatever traffic the meter's user assigns them. The meter is a view over the block's bytes;
// any process can write them, so a slot index out of range is read as slot 0.
#pragma once

#include <cstdint>

constexpr uint32_t kRateMeterSize = 56;
constexpr uint32_t kRateMeterSlots = 5;
constexpr uint32_t kRateMeterTotalA = 0;
constexpr uint32_t kRateMeterSlotsA = 4;
constexpr uint32_t kRateMeterTotalB = 24;
constexpr uint32_t kRateMeterSlotsB = 28;
constexpr uint32_t kRateMeterSlotIndex = 48;
constexpr uint32_t kRateMeterStartTick = 52;
// The recent rates cover at most the last five intervals of one second.
constexpr uint32_t kRecentRateWindowMs = 5000;

class CRateMeter {
public:
    explicit CRateMeter(uint8_t* bytes) : m_bytes(bytes) {}

    // All zero, start tick = now.
    void Reset();
    void AddA(uint32_t bytes);
    void AddB(uint32_t bytes);
    // Moves to the next slot (after slot 4 back to 0) and clears it in both groups; called once
    // per interval by the meter's owner.
    void Advance();

    // Bytes per second, the fraction cut off; 0 when no time has passed since the start.
    uint32_t RateSinceStartA() const;
    uint32_t RateSinceStartB() const;
    uint32_t RateSinceStart() const;  // both groups
    uint32_t RecentRateA() const;
    uint32_t RecentRateB() const;
    uint32_t RecentRate() const;  // both groups

    uint32_t TotalA() const;
    uint32_t TotalB() const;
    uint32_t SlotIndex() const;  // always 0 to 4

private:
    void AddTo(uint32_t total_offset, uint32_t slots_offset, uint32_t bytes);
    uint64_t SlotSum(uint32_t slots_offset) const;
    uint32_t Elapsed() const;

    uint8_t* m_bytes;
};

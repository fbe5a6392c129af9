// Byte counters kept inside the statistics block (56 bytes, little-endian), which give transfer
// rates over the last five intervals and since a start tick. Two counter groups: bytes sent
// (the first) and bytes received (the second), as every meter of the block counts them; the
// figures of both together are the meter's rate. The meter is a view over the block's bytes;
// any process can write them, so a slot index out of range is read as slot 0.
#pragma once

#include <cstdint>

constexpr uint32_t kRateMeterSize = 56;
constexpr uint32_t kRateMeterSlots = 5;
constexpr uint32_t kRateMeterTotalSent = 0;
constexpr uint32_t kRateMeterSlotsSent = 4;
constexpr uint32_t kRateMeterTotalReceived = 24;
constexpr uint32_t kRateMeterSlotsReceived = 28;
constexpr uint32_t kRateMeterSlotIndex = 48;
constexpr uint32_t kRateMeterStartTick = 52;
// The recent rates cover at most the last five intervals of one second.
constexpr uint32_t kRecentRateWindowMs = 5000;

class CRateMeter {
public:
    explicit CRateMeter(uint8_t* bytes) : m_bytes(bytes) {}

    // All zero, start tick = now.
    void Reset();
    void AddSent(uint32_t bytes);
    void AddReceived(uint32_t bytes);
    // Moves to the next slot (after slot 4 back to 0) and clears it in both counters; called once
    // per interval by the meter's owner.
    void Advance();

    // Bytes per second, the fraction cut off; 0 when no time has passed since the start.
    uint32_t SendRateSinceStart() const;
    uint32_t ReceiveRateSinceStart() const;
    uint32_t RateSinceStart() const;  // sent and received
    uint32_t RecentSendRate() const;
    uint32_t RecentReceiveRate() const;
    uint32_t RecentRate() const;  // sent and received

    uint32_t TotalSent() const;
    uint32_t TotalReceived() const;
    uint32_t SlotIndex() const;  // always 0 to 4

private:
    void AddTo(uint32_t total_offset, uint32_t slots_offset, uint32_t bytes);
    uint64_t SlotSum(uint32_t slots_offset) const;
    uint32_t Elapsed() const;

    uint8_t* m_bytes;
};

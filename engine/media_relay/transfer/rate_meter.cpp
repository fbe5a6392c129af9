#include "transfer/rate_meter.h"

#include <cstring>

#include "engine_tick.h"
#include "packets/wire_bytes.h"

namespace {
// Whole bytes per second of `bytes` over `ms`, cut to what a u32 can say.
uint32_t BytesPerSecond(uint64_t bytes, uint32_t ms) {
    if (ms == 0) return 0;
    const double rate = static_cast<double>(bytes) * 1000.0 / static_cast<double>(ms);
    return rate >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}

uint32_t RecentWindow(uint32_t elapsed) {
    return elapsed < kRecentRateWindowMs ? elapsed : kRecentRateWindowMs;
}
}  // namespace

void CRateMeter::Reset() {
    std::memset(m_bytes, 0, kRateMeterSize);
    WriteU32(m_bytes + kRateMeterStartTick, EngineTick());
}

void CRateMeter::AddSent(uint32_t bytes) {
    AddTo(kRateMeterTotalSent, kRateMeterSlotsSent, bytes);
}

void CRateMeter::AddReceived(uint32_t bytes) {
    AddTo(kRateMeterTotalReceived, kRateMeterSlotsReceived, bytes);
}

void CRateMeter::AddTo(uint32_t total_offset, uint32_t slots_offset, uint32_t bytes) {
    WriteU32(m_bytes + total_offset, ReadU32(m_bytes + total_offset) + bytes);
    uint8_t* slot = m_bytes + slots_offset + 4 * SlotIndex();
    WriteU32(slot, ReadU32(slot) + bytes);
}

void CRateMeter::Advance() {
    const uint32_t next = (SlotIndex() + 1) % kRateMeterSlots;
    WriteU32(m_bytes + kRateMeterSlotIndex, next);
    WriteU32(m_bytes + kRateMeterSlotsSent + 4 * next, 0);
    WriteU32(m_bytes + kRateMeterSlotsReceived + 4 * next, 0);
}

uint32_t CRateMeter::SlotIndex() const {
    const uint32_t index = ReadU32(m_bytes + kRateMeterSlotIndex);
    return index < kRateMeterSlots ? index : 0;
}

uint32_t CRateMeter::TotalSent() const {
    return ReadU32(m_bytes + kRateMeterTotalSent);
}

uint32_t CRateMeter::TotalReceived() const {
    return ReadU32(m_bytes + kRateMeterTotalReceived);
}

uint64_t CRateMeter::SlotSum(uint32_t slots_offset) const {
    uint64_t sum = 0;
    for (uint32_t i = 0; i < kRateMeterSlots; ++i) sum += ReadU32(m_bytes + slots_offset + 4 * i);
    return sum;
}

uint32_t CRateMeter::Elapsed() const {
    return TickElapsed(EngineTick(), ReadU32(m_bytes + kRateMeterStartTick));
}

uint32_t CRateMeter::SendRateSinceStart() const {
    return BytesPerSecond(TotalSent(), Elapsed());
}

uint32_t CRateMeter::ReceiveRateSinceStart() const {
    return BytesPerSecond(TotalReceived(), Elapsed());
}

uint32_t CRateMeter::RateSinceStart() const {
    return BytesPerSecond(uint64_t{TotalSent()} + TotalReceived(), Elapsed());
}

uint32_t CRateMeter::RecentSendRate() const {
    return BytesPerSecond(SlotSum(kRateMeterSlotsSent), RecentWindow(Elapsed()));
}

uint32_t CRateMeter::RecentReceiveRate() const {
    return BytesPerSecond(SlotSum(kRateMeterSlotsReceived), RecentWindow(Elapsed()));
}

uint32_t CRateMeter::RecentRate() const {
    return BytesPerSecond(SlotSum(kRateMeterSlotsSent) + SlotSum(kRateMeterSlotsReceived), RecentWindow(Elapsed()));
}

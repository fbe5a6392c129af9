// The rate meter inside a shared block: its layout, the two counter groups, the five-slot ring
// and the rates, against a controlled engine clock.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine_tick.h"
#include "transfer/rate_meter.h"

namespace {

uint32_t g_now = 0;
uint32_t TestClock() {
    return g_now;
}

uint32_t Word(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void PutWord(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

// The meter's 56 bytes between guard bytes, so a write outside it shows.
class RateMeterTest : public ::testing::Test {
protected:
    static constexpr uint32_t kGuard = 16;
    void SetUp() override {
        SetEngineTickSource(&TestClock);
        g_now = 1000;
        std::memset(block, 0xEE, sizeof(block));
    }
    void TearDown() override { SetEngineTickSource(nullptr); }
    uint8_t* bytes() { return block + kGuard; }
    bool GuardsIntact() const {
        for (uint32_t i = 0; i < kGuard; ++i)
            if (block[i] != 0xEE || block[kGuard + kRateMeterSize + i] != 0xEE) return false;
        return true;
    }

    uint8_t block[kGuard + kRateMeterSize + kGuard];
    CRateMeter meter{block + kGuard};
};

}  // namespace

TEST_F(RateMeterTest, ResetZeroesAllAndStartsNow) {
    g_now = 0x12345678;
    meter.Reset();
    std::vector<uint8_t> expected(56, 0);
    expected[52] = 0x78;
    expected[53] = 0x56;
    expected[54] = 0x34;
    expected[55] = 0x12;
    EXPECT_EQ(std::vector<uint8_t>(bytes(), bytes() + 56), expected);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(RateMeterTest, GroupsCountIntoTotalsAndTheCurrentSlot) {
    meter.Reset();
    meter.AddSent(1000);
    meter.AddSent(24);
    meter.AddReceived(300);
    meter.Advance();
    meter.AddReceived(5);
    EXPECT_EQ(Word(bytes() + 0), 1024u);   // total sent
    EXPECT_EQ(Word(bytes() + 4), 1024u);   // sent, slot 0
    EXPECT_EQ(Word(bytes() + 24), 305u);   // total received
    EXPECT_EQ(Word(bytes() + 28), 300u);   // received, slot 0
    EXPECT_EQ(Word(bytes() + 32), 5u);     // received, slot 1
    EXPECT_EQ(Word(bytes() + 48), 1u);     // slot index
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(RateMeterTest, AdvanceClearsEachSlotOnceInFiveAndNeverTheTotals) {
    meter.Reset();
    for (uint32_t i = 0; i < 5; ++i) {
        PutWord(bytes() + 4 + 4 * i, i + 1);
        PutWord(bytes() + 28 + 4 * i, i + 6);
    }
    PutWord(bytes() + 0, 777);
    PutWord(bytes() + 24, 888);

    meter.Advance();
    EXPECT_EQ(meter.SlotIndex(), 1u);
    EXPECT_EQ(Word(bytes() + 8), 0u);
    EXPECT_EQ(Word(bytes() + 32), 0u);
    EXPECT_EQ(Word(bytes() + 4), 1u) << "the slot left behind keeps its count";

    for (int i = 0; i < 4; ++i) meter.Advance();
    EXPECT_EQ(meter.SlotIndex(), 0u) << "back to 0 after slot 4";
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Word(bytes() + 4 + 4 * i), 0u) << "A slot " << i;
        EXPECT_EQ(Word(bytes() + 28 + 4 * i), 0u) << "B slot " << i;
    }
    EXPECT_EQ(meter.TotalSent(), 777u);
    EXPECT_EQ(meter.TotalReceived(), 888u);
}

TEST_F(RateMeterTest, Rates) {
    struct Case {
        uint32_t elapsed;
        uint32_t since_a, since_b, since_both, recent_a, recent_b, recent_both;
    };
    // 5000 bytes sent and 1000 received, all in the current slot.
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, 0},                           // no time passed
        {2500, 2000, 400, 2400, 2000, 400, 2400},        // recent rate divides by 2500
        {5000, 1000, 200, 1200, 1000, 200, 1200},
        {9000, 555, 111, 666, 1000, 200, 1200},          // fractions cut; recent divides by 5000
        {3, 1666666, 333333, 2000000, 1666666, 333333, 2000000},
    };
    for (const Case& c : cases) {
        g_now = 1000;
        meter.Reset();
        meter.AddSent(5000);
        meter.AddReceived(1000);
        g_now = 1000 + c.elapsed;
        EXPECT_EQ(meter.SendRateSinceStart(), c.since_a) << c.elapsed;
        EXPECT_EQ(meter.ReceiveRateSinceStart(), c.since_b) << c.elapsed;
        EXPECT_EQ(meter.RateSinceStart(), c.since_both) << c.elapsed;
        EXPECT_EQ(meter.RecentSendRate(), c.recent_a) << c.elapsed;
        EXPECT_EQ(meter.RecentReceiveRate(), c.recent_b) << c.elapsed;
        EXPECT_EQ(meter.RecentRate(), c.recent_both) << c.elapsed;
    }
}

TEST_F(RateMeterTest, RatesAcrossTheClockWrapAndAtTheLimit) {
    g_now = 0xFFFFF000;
    meter.Reset();
    meter.AddSent(5000);
    g_now = 0x00000388;  // 5000 ms later
    EXPECT_EQ(meter.SendRateSinceStart(), 1000u);
    EXPECT_EQ(meter.RecentSendRate(), 1000u);

    meter.Reset();
    meter.AddSent(0xFFFFFFFF);
    meter.AddReceived(0xFFFFFFFF);
    g_now += 1;
    EXPECT_EQ(meter.RateSinceStart(), 0xFFFFFFFFu) << "a rate beyond 32 bits is cut to the largest";
}

TEST_F(RateMeterTest, SlotIndexOutOfRangeIsReadAsZero) {
    for (const uint32_t bad : {5u, 6u, 56u, 0x80000000u, 0xFFFFFFFFu}) {
        meter.Reset();
        PutWord(bytes() + 48, bad);  // another process wrote the shared block
        EXPECT_EQ(meter.SlotIndex(), 0u) << bad;
        meter.AddSent(7);
        meter.AddReceived(9);
        EXPECT_TRUE(GuardsIntact()) << "index " << bad << " wrote outside the meter";
        EXPECT_EQ(Word(bytes() + 4), 7u) << bad;
        EXPECT_EQ(Word(bytes() + 28), 9u) << bad;
        meter.Advance();
        EXPECT_EQ(Word(bytes() + 48), 1u) << bad;
        EXPECT_TRUE(GuardsIntact());
    }
}

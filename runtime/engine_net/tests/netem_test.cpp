// Emulation settings and the token bucket that paces shaped sends.
#include "netem.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kLoopback = 0x7F000001u;

}  // namespace

TEST(NetemRules, ParsesRuleSetsAndChoosesByDestination) {
    kuz::NetemConfig c = kuz::ParseNetem("delay=40,jitter=10,loss=2,uplink=250000;to=127.0.0.1:9000,delay=5;"
                                         "to=127.0.0.2,rate=8000,seed=7");
    ASSERT_EQ(c.rules.size(), 3u);
    EXPECT_EQ(c.rules[0].delay_ms, 40u);
    EXPECT_EQ(c.rules[0].jitter_ms, 10u);
    EXPECT_DOUBLE_EQ(c.rules[0].loss_pct, 2.0);
    EXPECT_EQ(c.uplink_bps, 250000u);
    EXPECT_TRUE(c.seeded);
    EXPECT_EQ(c.seed, 7u);

    struct Case {
        uint32_t addr;
        uint16_t port;
        int rule;
    };
    for (Case k : {Case{kLoopback, 9000, 1}, Case{kLoopback, 9001, 0}, Case{0x7F000002u, 1, 2}, Case{0x7F000002u, 9000, 2}}) {
        const kuz::NetemRule* r = kuz::ChooseRule(c, k.addr, k.port);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r - c.rules.data(), k.rule) << k.addr << ":" << k.port;
    }
    kuz::NetemConfig only_to = kuz::ParseNetem("to=127.0.0.3:1,delay=5");
    EXPECT_EQ(kuz::ChooseRule(only_to, kLoopback, 1), nullptr) << "no rule set applies to other destinations";
    EXPECT_TRUE(kuz::ParseNetem("").rules.empty());
}

TEST(NetemRules, TokenBucketSpendsItsBurstThenWaitsForTheRate) {
    auto t0 = kuz::NetClock::now();
    kuz::TokenBucket bucket(16384);  // 16 KiB per second, 16 KiB burst
    EXPECT_LE(bucket.ReadyAt(16384, t0), t0);
    bucket.Take(16384, t0);
    auto ready = bucket.ReadyAt(8192, t0);
    EXPECT_GE(ready - t0, std::chrono::milliseconds(450));
    EXPECT_LE(ready - t0, std::chrono::milliseconds(600));
    EXPECT_LE(bucket.ReadyAt(8192, t0 + std::chrono::milliseconds(600)), t0 + std::chrono::milliseconds(600));
    EXPECT_FALSE(kuz::TokenBucket(0).Limited());
}

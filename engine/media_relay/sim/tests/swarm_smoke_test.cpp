// A simulated swarm of the relay module's own sessions: 20 hosts, ten minutes of a 500 kbit/s
// stream, a source that serves only four transfers, so that most hosts are fed by each other.
#include <gtest/gtest.h>

#include "figures.h"
#include "scenario.h"

namespace {

sim::ScenarioConfig Smoke() {
    sim::ScenarioConfig config;
    config.peers = 20;
    config.minutes = 10;
    config.rate_bps = 500000;
    config.source_cap = 4;
    config.seed = 7;
    return config;
}

TEST(SwarmSmoke, EveryPlayerGetsTheStreamInTimeAndTheRunRepeatsExactly) {
    const sim::ScenarioResults first = sim::RunScenario(Smoke());
    ASSERT_EQ(first.lives.size(), 20u);
    for (const sim::LifeFigures& life : first.lives) {
        SCOPED_TRACE(life.name);
        EXPECT_TRUE(life.opened);
        ASSERT_TRUE(life.continuity.has_value());
        EXPECT_GE(*life.continuity, 0.99);
        EXPECT_TRUE(life.reply_ok);
        EXPECT_TRUE(life.header_ok);
        EXPECT_EQ(life.damaged, 0u);
        EXPECT_EQ(life.repeats, 0u);
    }
    EXPECT_EQ(first.stray_messages, 0u);
    EXPECT_EQ(first.bad_frees, 0u);
    // More than the source alone could serve reached the players.
    uint64_t received = 0;
    for (const sim::LifeFigures& life : first.lives) received += life.traffic.piece_received;
    EXPECT_GT(received, 2 * first.source_traffic.piece_sent);

    const sim::ScenarioResults second = sim::RunScenario(Smoke());
    EXPECT_EQ(sim::ResultsJson(first, false), sim::ResultsJson(second, false));
}

}  // namespace

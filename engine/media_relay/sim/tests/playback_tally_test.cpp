// The player's figures the smoke test and the benchmark rest on: what counts as played on time,
// how gaps and repeats are told apart, and when the playout buffer stalls.
#include <gtest/gtest.h>

#include <vector>

#include "playback_tally.h"
#include "production_log.h"

namespace {

using sim::Ms;
using sim::PlaybackTally;
using sim::ProductionLog;
using sim::SimTime;

constexpr uint32_t kFirst = 1000001;
constexpr uint32_t kPieceMs = 100;  // one piece produced every 100 ms, time stamps alike

ProductionLog Produced(uint32_t count) {
    ProductionLog log;
    log.SetFirstPiece(kFirst);
    for (uint32_t k = 0; k < count; ++k) log.Produced(kFirst + k, Ms(k * kPieceMs));
    return log;
}

// Piece k (from the first) reaching the player `lag_ms` after its production.
struct Arrival {
    uint32_t k;
    uint32_t lag_ms;
};

PlaybackTally Played(const std::vector<Arrival>& arrivals) {
    PlaybackTally tally;
    tally.SessionStarted();
    for (const Arrival& a : arrivals) tally.Record(kFirst + a.k, a.k * kPieceMs, true, Ms(a.k * kPieceMs + a.lag_ms));
    return tally;
}

std::vector<Arrival> Steady(uint32_t count, uint32_t lag_ms) {
    std::vector<Arrival> arrivals;
    for (uint32_t k = 0; k < count; ++k) arrivals.push_back({k, lag_ms});
    return arrivals;
}

TEST(PlaybackTally, ContinuityCountsThePiecesDueThatCameWithin15Seconds) {
    const ProductionLog production = Produced(1000);  // 100 s of stream
    const SimTime end = Ms(100000);                    // pieces 0..850 are due (15 s before the end)
    struct Case {
        const char* what;
        std::vector<Arrival> arrivals;
        double continuity;
    };
    std::vector<Arrival> one_missing = Steady(1000, 2000);
    one_missing.erase(one_missing.begin() + 400);
    std::vector<Arrival> one_late = Steady(1000, 2000);
    one_late[400].lag_ms = 15001;
    std::vector<Arrival> late_start = Steady(1000, 2000);
    late_start.erase(late_start.begin(), late_start.begin() + 351);  // plays from piece 351
    const Case cases[] = {
        {"all in time", Steady(1000, 2000), 1.0},
        {"one missing", one_missing, 850.0 / 851},
        {"one later than 15 s", one_late, 850.0 / 851},
        {"all 20 s behind", Steady(1000, 20000), 0.0},
        {"due from its first piece on", late_start, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<double> continuity = Played(c.arrivals).Continuity(production, end);
        ASSERT_TRUE(continuity.has_value());
        EXPECT_NEAR(*continuity, c.continuity, 1e-9);
    }
    EXPECT_EQ(PlaybackTally().Continuity(production, end), 0.0);  // never played
}

TEST(PlaybackTally, RepeatsWithinAConnectionAndReplaysAfterAReconnectAreCountedApart) {
    PlaybackTally tally;
    tally.SessionStarted();
    for (uint32_t k : {0u, 1u, 2u, 2u, 1u, 5u}) tally.Record(kFirst + k, k * kPieceMs, true, Ms(k * kPieceMs));
    tally.SessionStarted();  // a reconnect starts again a little behind
    for (uint32_t k : {4u, 5u, 6u}) tally.Record(kFirst + k, k * kPieceMs, k != 6, Ms(1000 + k));
    EXPECT_EQ(tally.Repeats(), 2u);
    EXPECT_EQ(tally.Gaps(), 2u);     // 3 and 4 never came in order
    EXPECT_EQ(tally.Pieces(), 5u);   // 0, 1, 2, 5, 6
    EXPECT_EQ(tally.Damaged(), 1u);
    EXPECT_NEAR(*tally.Completeness(), 5.0 / 7, 1e-9);
}

TEST(PlaybackTally, APlayoutBufferStallsOnlyWhenItRunsDry) {
    const std::vector<Arrival> steady = Steady(300, 500);
    std::vector<Arrival> paused = Steady(300, 500);
    for (Arrival& a : paused)
        if (a.k >= 150) a.lag_ms += 6000;  // 6 s without a piece half way
    const SimTime end = Ms(300 * kPieceMs + 500);
    EXPECT_NEAR(*Played(steady).StallRatio(end), 0.0, 1e-9);
    // 2 s buffered when the pieces stop: 4 s of the 6 s are stalled, then 2 s refill the buffer.
    const double stalled = *Played(paused).StallRatio(end + Ms(6000));
    EXPECT_GT(stalled, 0.1);
    EXPECT_LT(stalled, 0.25);
    EXPECT_FALSE(PlaybackTally().StallRatio(end).has_value());
}

}  // namespace

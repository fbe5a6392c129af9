#include <gtest/gtest.h>

#include <vector>

#include "engine_tick.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address_pool.h"

namespace {

using State = PeerAddressState;
using Pool = CPeerAddressPool;

// Starts just before the 32-bit wrap, so every test that lets time pass crosses it.
constexpr uint32_t kStartTick = 0xFFFFF000;
uint32_t g_now = kStartTick;
uint32_t Now() { return g_now; }

constexpr uint32_t kOwnIPv4 = 0x0100007F;  // 127.0.0.1
constexpr uint16_t kOwnTcp = 7000;
constexpr uint16_t kOwnUdp = 7001;

PeerAddress Peer(uint32_t n, uint16_t tcp = 8000, uint16_t udp = 9000) {
    return PeerAddress{0x0A000000u + n, tcp, udp};
}

class StatsOwner : public CPeerAddressPoolOwner {
public:
    StatsOwner() : stats(41048, 0) {
        WriteIPv4(&stats[652], kOwnIPv4);
        WriteU16(&stats[656], kOwnTcp);
        WriteU16(&stats[658], kOwnUdp);
    }
    uint8_t* StatsBlock() override { return stats.data(); }
    std::vector<uint8_t> stats;
};

class PeerAddressPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = kStartTick;
        SetEngineTickSource(&Now);
    }
    void TearDown() override { SetEngineTickSource(nullptr); }

    void Advance(uint32_t ms) { g_now += ms; }
    State StateOf(const PeerAddress& a) { return pool.Find(a)->state; }
    uint32_t ValueOf(const PeerAddress& a) { return pool.Find(a)->value; }
    struct Counts {
        uint16_t candidates, measured, in_use;
        bool operator==(const Counts&) const = default;
    };
    Counts Published() {
        return {ReadU16(&owner.stats[824]), ReadU16(&owner.stats[826]), ReadU16(&owner.stats[828])};
    }
    // A candidate that was greeted and answered with the given round-trip time.
    void AddMeasured(const PeerAddress& a, uint32_t rtt) {
        ASSERT_TRUE(pool.AddCandidate(a));
        PeerAddress taken;
        ASSERT_TRUE(pool.TakeCandidate(&taken));
        ASSERT_EQ(taken, a);
        ASSERT_TRUE(pool.ReportPeer(a, rtt));
    }
    // The peer exchange's second: up to 50 candidates while the session finds room.
    std::vector<PeerAddress> GreetingTick() {
        std::vector<PeerAddress> greeted;
        PeerAddress a;
        while (greeted.size() < 50 && pool.HasRoom() && pool.TakeCandidate(&a)) greeted.push_back(a);
        return greeted;
    }

    StatsOwner owner;
    Pool pool{&owner};
};

TEST_F(PeerAddressPoolTest, RefusesUnusableAddressesEverywhere) {
    const PeerAddress source = Peer(50);
    pool.SourcePeers().Insert(source);
    struct Case {
        const char* name;
        PeerAddress address;
        bool admissible;
    } cases[] = {
        {"no IPv4", {0, 8000, 9000}, false},
        {"no TCP port", {0x0A000001, 0, 9000}, false},
        {"no UDP port", {0x0A000001, 8000, 0}, false},
        {"own address and ports", {kOwnIPv4, kOwnTcp, kOwnUdp}, false},
        {"source peer", source, false},
        {"own IPv4, other UDP port", {kOwnIPv4, kOwnTcp, 7002}, true},
        {"own IPv4, other TCP port", {kOwnIPv4, 7003, kOwnUdp}, true},
        {"ordinary peer", Peer(1), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pool.Admissible(c.address), c.admissible);
        if (c.admissible) continue;
        EXPECT_FALSE(pool.AddCandidate(c.address));
        EXPECT_FALSE(pool.ReportPeer(c.address, 40));
        EXPECT_FALSE(pool.ReportPeer(c.address, 0));
        EXPECT_FALSE(pool.ReportTransfer(c.address, 100));
        EXPECT_FALSE(pool.ReportTransfer(c.address, 9000));
        EXPECT_EQ(pool.Find(c.address), nullptr);
    }
}

TEST_F(PeerAddressPoolTest, CandidatesAreKnownOnceAndTakenFirstInFirstOut) {
    EXPECT_TRUE(pool.AddCandidate(Peer(3)));
    EXPECT_TRUE(pool.AddCandidate(Peer(1)));
    EXPECT_FALSE(pool.AddCandidate(Peer(3)));
    EXPECT_TRUE(pool.AddCandidate(Peer(2)));
    EXPECT_EQ(pool.CandidateCount(), 3u);
    EXPECT_EQ(ValueOf(Peer(3)), 0u);

    // Known in any state counts as known.
    PeerAddress a;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    EXPECT_EQ(a, Peer(3));
    EXPECT_FALSE(pool.AddCandidate(Peer(3)));

    EXPECT_EQ(StateOf(Peer(3)), State::kInUse);
    EXPECT_EQ(ValueOf(Peer(3)), Pool::kGreetingValue);
    EXPECT_EQ(pool.Find(Peer(3))->in_use_tick, kStartTick);
    EXPECT_EQ(pool.Find(Peer(3))->last_picked_tick, 0u);

    ASSERT_TRUE(pool.TakeCandidate(&a));
    EXPECT_EQ(a, Peer(1));
    ASSERT_TRUE(pool.TakeCandidate(&a));
    EXPECT_EQ(a, Peer(2));
    EXPECT_FALSE(pool.TakeCandidate(&a));
    EXPECT_EQ(pool.CandidateCount(), 0u);
    EXPECT_EQ(pool.InUseCount(), 3u);
}

TEST_F(PeerAddressPoolTest, OnlyAGreetedPeerBecomesMeasured) {
    ASSERT_TRUE(pool.AddCandidate(Peer(1)));
    // Never taken: no change.
    EXPECT_FALSE(pool.ReportPeer(Peer(1), 40));
    EXPECT_EQ(StateOf(Peer(1)), State::kCandidate);
    // Value 0 is "heard of": a candidate when new, refused when known.
    EXPECT_FALSE(pool.ReportPeer(Peer(1), 0));
    EXPECT_TRUE(pool.ReportPeer(Peer(2), 0));
    EXPECT_EQ(StateOf(Peer(2)), State::kCandidate);

    PeerAddress a;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    EXPECT_TRUE(pool.ReportPeer(Peer(1), 40));
    EXPECT_EQ(StateOf(Peer(1)), State::kMeasured);
    EXPECT_EQ(ValueOf(Peer(1)), 40u);
    EXPECT_EQ(Published(), (Counts{1, 1, 0}));
    // Measured already: a second answer changes nothing.
    EXPECT_FALSE(pool.ReportPeer(Peer(1), 10));
    EXPECT_EQ(ValueOf(Peer(1)), 40u);

    // A measurement nobody asked for only makes the sender a candidate.
    EXPECT_TRUE(pool.ReportPeer(Peer(3), 1));
    EXPECT_EQ(StateOf(Peer(3)), State::kCandidate);
    EXPECT_EQ(pool.MeasuredCount(), 1u);
}

TEST_F(PeerAddressPoolTest, NextPeerGivesTheLowestMeasuredValueAndFilesItInUse) {
    AddMeasured(Peer(1), 80);
    AddMeasured(Peer(2), 40);
    AddMeasured(Peer(3), 80);

    PeerAddress a;
    uint32_t value = 1;
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(2));
    EXPECT_EQ(value, 40u);
    EXPECT_EQ(StateOf(Peer(2)), State::kInUse);
    EXPECT_EQ(ValueOf(Peer(2)), 5040u);
    EXPECT_EQ(pool.Find(Peer(2))->last_picked_tick, kStartTick);

    // Equal values: the older measurement first.
    Advance(10);
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(1));
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(3));
    EXPECT_EQ(value, 80u);
    EXPECT_EQ(pool.MeasuredCount(), 0u);
    EXPECT_EQ(pool.InUseCount(), 3u);
}

TEST_F(PeerAddressPoolTest, PeersInUseAreHandedOutAgainOnlyAfterTheirRest) {
    ASSERT_TRUE(pool.AddCandidate(Peer(1)));
    PeerAddress a;
    uint32_t value = 0;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    // Greeted but silent: never picked, so due at once.
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(1));
    EXPECT_EQ(value, Pool::kRestedPickValue);
    EXPECT_EQ(ValueOf(Peer(1)), Pool::kGreetingValue + Pool::kPickPenalty);

    // The rest runs across the wrap of the clock.
    Advance(20000);
    EXPECT_FALSE(pool.NextPeer(&a, &value));
    EXPECT_EQ(value, 0u);
    Advance(11000);
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(value, Pool::kRestedPickValue);
    EXPECT_EQ(pool.Find(Peer(1))->last_picked_tick, kStartTick + 31000);
}

TEST_F(PeerAddressPoolTest, RestedPeersAreWalkedInValueOrder) {
    AddMeasured(Peer(1), 300);
    AddMeasured(Peer(2), 100);
    PeerAddress a;
    uint32_t value;
    ASSERT_TRUE(pool.NextPeer(&a, &value));  // peer 2, value 5100
    ASSERT_TRUE(pool.NextPeer(&a, &value));  // peer 1, value 5300
    Advance(31000);
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(2));
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(1));
    EXPECT_FALSE(pool.NextPeer(&a, &value));
}

TEST_F(PeerAddressPoolTest, PickPenaltyNeverWrapsAHugeValueToASmallOne) {
    AddMeasured(Peer(1), 0xFFFFF000);
    AddMeasured(Peer(2), 200);
    PeerAddress a;
    uint32_t value;
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(1));
    EXPECT_EQ(ValueOf(Peer(1)), 0xFFFFFFFFu);
    Advance(31000);
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(2));  // 5200 still ranks before the saturated value
}

TEST_F(PeerAddressPoolTest, TransferReportsFileThePeerByOutcome) {
    struct Case {
        const char* name;
        uint32_t value;
        State state;
        uint32_t stored;
    } cases[] = {
        {"fast", 120, State::kMeasured, 120},
        {"at the limit", 5000, State::kMeasured, 5000},
        {"above the limit", 5001, State::kCandidate, 0},
        {"failed", 0xFFFFFFFF, State::kCandidate, 0},
    };
    const PeerAddress in_use = Peer(1), unknown = Peer(2), queued = Peer(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPeerAddressPool pool(&owner);
        ASSERT_TRUE(pool.AddCandidate(in_use));
        PeerAddress a;
        ASSERT_TRUE(pool.TakeCandidate(&a));
        ASSERT_TRUE(pool.AddCandidate(queued));
        EXPECT_TRUE(pool.ReportTransfer(in_use, c.value));
        EXPECT_EQ(pool.Find(in_use)->state, c.state);
        EXPECT_EQ(pool.Find(in_use)->value, c.stored);
        EXPECT_TRUE(pool.ReportTransfer(unknown, c.value));
        EXPECT_EQ(pool.Find(unknown)->state, c.state);
        EXPECT_EQ(pool.Find(unknown)->value, c.stored);
        // Not in use: answered true, left alone.
        EXPECT_TRUE(pool.ReportTransfer(unknown, c.value == 120 ? 9000 : 120));
        EXPECT_EQ(pool.Find(unknown)->state, c.state);
        EXPECT_EQ(pool.Find(unknown)->value, c.stored);
        // A peer sent back to the candidates queues behind the ones already there.
        ASSERT_TRUE(pool.TakeCandidate(&a));
        EXPECT_EQ(a, queued);
    }
}

TEST_F(PeerAddressPoolTest, ExpiryDeletesPeersInUseByAgeAcrossTheWrap) {
    std::vector<PeerAddress> entered;
    // Entering use at 0xFFFFF000, +0x800 and +0x1800: the last one after the wrap.
    for (uint32_t step : {0u, 0x800u, 0x1000u}) {
        Advance(step);
        const PeerAddress p = Peer(static_cast<uint32_t>(entered.size()) + 1);
        ASSERT_TRUE(pool.AddCandidate(p));
        PeerAddress a;
        ASSERT_TRUE(pool.TakeCandidate(&a));
        entered.push_back(p);
    }
    AddMeasured(Peer(9), 10);  // measured peers never expire
    pool.HostPeers().Insert(Peer(20));

    // 100000 ms after the first entered use.
    g_now = kStartTick + 99999;
    pool.Expire(Pool::kExpiryMs);
    EXPECT_EQ(pool.InUseCount(), 3u);
    g_now = kStartTick + 100000;
    pool.Expire(Pool::kExpiryMs);
    EXPECT_EQ(pool.Find(entered[0]), nullptr);
    EXPECT_NE(pool.Find(entered[1]), nullptr);
    EXPECT_EQ(Published(), (Counts{0, 1, 2}));

    g_now = kStartTick + 0x1800 + 100000;
    pool.Expire(Pool::kExpiryMs);
    EXPECT_EQ(pool.InUseCount(), 0u);
    EXPECT_EQ(StateOf(Peer(9)), State::kMeasured);
    EXPECT_TRUE(pool.HostPeers().Contains(Peer(20)));
    EXPECT_EQ(Published(), (Counts{0, 1, 0}));
}

TEST_F(PeerAddressPoolTest, YoungPeersStayRightAfterSystemStart) {
    g_now = 5000;  // now - 30000 and now - 100000 would wrap to huge ticks here
    ASSERT_TRUE(pool.AddCandidate(Peer(1)));
    PeerAddress a;
    uint32_t value;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    g_now = 6000;
    EXPECT_FALSE(pool.NextPeer(&a, &value));
    pool.Expire(Pool::kExpiryMs);
    EXPECT_EQ(pool.InUseCount(), 1u);
}

TEST_F(PeerAddressPoolTest, GreetingStopsWhenFiftyPeersAreMeasured) {
    for (uint32_t n = 1; n <= 60; ++n) ASSERT_TRUE(pool.AddCandidate(Peer(n)));
    EXPECT_FALSE(pool.NeedMorePeers());

    // Greeted peers are in use, not measured, so the room stays for the remaining ten.
    const std::vector<PeerAddress> first = GreetingTick();
    ASSERT_EQ(first.size(), 50u);
    EXPECT_EQ(first.front(), Peer(1));
    EXPECT_EQ(pool.CandidateCount(), 10u);
    EXPECT_FALSE(pool.NeedMorePeers());
    EXPECT_EQ(GreetingTick().size(), 10u);
    EXPECT_TRUE(pool.NeedMorePeers());

    // With all 60 greeted and the first 50 answered the pool is full: no further greeting.
    for (uint32_t n = 61; n <= 70; ++n) ASSERT_TRUE(pool.AddCandidate(Peer(n)));
    for (const PeerAddress& p : first) ASSERT_TRUE(pool.ReportPeer(p, 30));
    EXPECT_EQ(pool.MeasuredCount(), 50u);
    EXPECT_FALSE(pool.HasRoom());
    EXPECT_FALSE(pool.NeedMorePeers());
    EXPECT_TRUE(GreetingTick().empty());
    EXPECT_EQ(pool.CandidateCount(), 10u);
    EXPECT_EQ(Published(), (Counts{10, 50, 10}));

    // Handing one out for a transfer makes room again.
    PeerAddress a;
    uint32_t value;
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_TRUE(pool.HasRoom());
    EXPECT_EQ(GreetingTick().size(), 10u);
}

TEST_F(PeerAddressPoolTest, CandidatesAreCapped) {
    for (uint32_t n = 0; n < Pool::kMaxCandidates; ++n) ASSERT_TRUE(pool.AddCandidate(Peer(n + 1)));
    const PeerAddress extra = Peer(Pool::kMaxCandidates + 1);
    EXPECT_FALSE(pool.AddCandidate(extra));
    EXPECT_FALSE(pool.ReportPeer(extra, 0));
    EXPECT_FALSE(pool.ReportTransfer(extra, 9000));
    EXPECT_EQ(pool.Find(extra), nullptr);
    EXPECT_EQ(pool.CandidateCount(), Pool::kMaxCandidates);

    // A peer in use whose transfer failed has no place among full candidates: it is forgotten.
    PeerAddress a;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    ASSERT_TRUE(pool.AddCandidate(extra));
    EXPECT_TRUE(pool.ReportTransfer(a, 9000));
    EXPECT_EQ(pool.Find(a), nullptr);
    EXPECT_EQ(pool.CandidateCount(), Pool::kMaxCandidates);
}

TEST_F(PeerAddressPoolTest, MeasuredAndInUsePeersAreCappedTogether) {
    for (uint32_t n = 0; n < Pool::kMaxActivePeers - 1; ++n) ASSERT_TRUE(pool.ReportTransfer(Peer(n + 1), 100));
    ASSERT_TRUE(pool.AddCandidate(Peer(1000)));
    ASSERT_TRUE(pool.AddCandidate(Peer(1001)));
    PeerAddress a;
    ASSERT_TRUE(pool.TakeCandidate(&a));  // the last place
    EXPECT_FALSE(pool.TakeCandidate(&a));
    EXPECT_EQ(StateOf(Peer(1001)), State::kCandidate);
    EXPECT_FALSE(pool.ReportTransfer(Peer(2000), 100));
    EXPECT_EQ(pool.Find(Peer(2000)), nullptr);
    EXPECT_EQ(pool.MeasuredCount() + pool.InUseCount(), Pool::kMaxActivePeers);

    // Moving between measured and in use needs no new place.
    uint32_t value;
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_TRUE(pool.ReportTransfer(a, 100));
    EXPECT_EQ(StateOf(a), State::kMeasured);
}

TEST_F(PeerAddressPoolTest, SourcePeersAreNeverHandedOut) {
    AddMeasured(Peer(3), 10);
    AddMeasured(Peer(4), 20);
    ASSERT_TRUE(pool.AddCandidate(Peer(1)));
    ASSERT_TRUE(pool.AddCandidate(Peer(2)));
    // These addresses turn out to be the channel's sources after they came in.
    EXPECT_TRUE(pool.SourcePeers().Insert(Peer(1)));
    EXPECT_TRUE(pool.SourcePeers().Insert(Peer(3)));
    EXPECT_FALSE(pool.SourcePeers().Insert(Peer(3)));
    EXPECT_EQ(pool.SourcePeers().Size(), 2u);

    PeerAddress a;
    uint32_t value;
    ASSERT_TRUE(pool.TakeCandidate(&a));
    EXPECT_EQ(a, Peer(2));
    ASSERT_TRUE(pool.NextPeer(&a, &value));
    EXPECT_EQ(a, Peer(4));
    EXPECT_EQ(pool.Find(Peer(1)), nullptr);
    EXPECT_EQ(pool.Find(Peer(3)), nullptr);

    // Host peers stay ordinary addresses for the pool.
    pool.HostPeers().Insert(Peer(5));
    EXPECT_TRUE(pool.AddCandidate(Peer(5)));
}

TEST(PeerAddressPoolWithoutBlockTest, WorksWithoutAStatisticsBlock) {
    CPeerAddressPool pool(nullptr);
    EXPECT_TRUE(pool.AddCandidate({kOwnIPv4, kOwnTcp, kOwnUdp}));
    pool.Expire(CPeerAddressPool::kExpiryMs);
    EXPECT_EQ(pool.CandidateCount(), 1u);
}

}  // namespace

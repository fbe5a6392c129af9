// The piece scheduler on a virtual clock that wraps during each test: the start piece, the
// request pass (in-order cap, rarest first, the 30-piece rule), the link tick (back-off,
// opening and closing links, connect time-outs, the transfer limit) and transfer ends.
#include "transfer/piece_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "scheduler_fixture.h"
#include "transfer/rate_meter.h"

namespace {

using namespace scheduler_test;

PeerAddress Address(uint32_t k) {
    return {PeerIPv4(k), static_cast<uint16_t>(9000 + k), static_cast<uint16_t>(9500 + k)};
}

std::set<uint32_t> AllRequested(const CPieceScheduler& scheduler) {
    std::set<uint32_t> pieces;
    scheduler.ForEachTransfer([&](const CPeerTransfer* t) {
        for (uint32_t p : t->Requests().AllPieces()) pieces.insert(p);
    });
    return pieces;
}

// --- the start piece ---

struct MapShape {
    uint32_t first, count;
    bool held = true;
};

struct StartCase {
    const char* what;
    std::vector<MapShape> maps;  // one established peer each, in this order
    uint32_t low, high;         // the source range
    uint32_t wait_ms;           // after the start
    uint32_t expected;          // 0: no start chosen yet
    bool source_list = false;   // the creation list names source peers
};

// A map of 104 pieces from 1000 starts 30 in (1030) and puts its dense position at
// 1030 + 74 x 33 % = 1054; one of 304 pieces puts it at 1030 + 274 x 33 % = 1120.
const StartCase kStartCases[] = {
    {"dense_position", {{1000, 104}}, 1000, 2000, 4500, 1054},
    {"most_holders_win_over_set_order", {{1000, 304}, {1000, 104}}, 1000, 2000, 4500, 1054},
    {"no_source_range", {{1000, 104}}, 0, 0, 4500, 0},
    {"1000_below_low", {{1000, 104}}, 2054, 3000, 4500, 0},
    {"just_above_low", {{1000, 104}}, 2053, 3000, 4500, 1054},
    {"1000_above_high", {{1000, 104}}, 1, 54, 4500, 0},
    {"just_below_high", {{1000, 104}}, 1, 55, 4500, 1054},
    // A popular estimate that the range refuses must not hide a usable one.
    {"refused_estimate_does_not_shadow", {{1200, 104}, {1200, 104}, {1200, 104}, {1000, 104}}, 1, 200, 4500, 1054},
    // Nobody holds anything: piece 0 would come out, and 0 means no piece.
    {"nothing_held_never_starts_at_0", {{1000, 104, false}}, 1, 500, 4500, 0},
    {"few_peers_wait_4000ms", {{1000, 104}}, 1000, 2000, 3500, 0},
    {"five_peers_start_at_once", {{1000, 104}, {1000, 104}, {1000, 104}, {1000, 104}, {1000, 104}}, 1000, 2000, 500, 1054},
    {"source_list_starts_at_once", {{1000, 104}}, 1000, 2000, 500, 1054, true},
};

class StartPieceTest : public SchedulerTest, public ::testing::WithParamInterface<StartCase> {};

INSTANTIATE_TEST_SUITE_P(Table, StartPieceTest, ::testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_P(StartPieceTest, ChoosesTheDensePositionInsideTheSourceRange) {
    const StartCase& c = GetParam();
    for (uint32_t k = 0; k < c.maps.size(); ++k) {
        const int s = AcceptPeer(k + 1);
        Send(s, Availability(c.maps[k].first, std::vector<bool>(c.maps[k].count, c.maps[k].held)));
    }
    SetSourceRange(c.low, c.high);
    Bytes sources(8);
    WritePeerAddress(sources.data(), Address(200));
    ASSERT_TRUE(Scheduler().StartScheduler(c.source_list ? 1 : 0, sources.data()));
    fake_net::Advance(c.wait_ms);
    EXPECT_EQ(Scheduler().StartChosen(), c.expected != 0);
    if (c.expected) {
        EXPECT_EQ(Buffer().Cursor(), c.expected);
    }
}

// --- the request pass ---

// Five source peers with window 8 (40 slots): four hold [1000, 1104), the fifth [1000, 1200).
TEST_F(SchedulerTest, CapsInOrderRequestsAt31ThenAsksRarestFirst) {
    for (uint32_t k = 1; k <= 5; ++k) Send(AcceptPeer(k, true), AvailabilityRun(1000, k == 5 ? 200 : 104));
    SetSourceRange(1000, 3000);
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(CPieceScheduler::kRequestPassMs);
    ASSERT_TRUE(Scheduler().StartChosen());
    const uint32_t cursor = Buffer().Cursor();
    ASSERT_EQ(cursor, 1054u);

    const std::set<uint32_t> requested = AllRequested(Scheduler());
    EXPECT_EQ(requested.size(), 40u);
    for (uint32_t p = cursor + 1; p <= cursor + 31; ++p) EXPECT_TRUE(requested.count(p)) << p;
    // The fifth peer's two slots left over go to the pieces only it holds ...
    EXPECT_TRUE(requested.count(1104));
    EXPECT_TRUE(requested.count(1105));
    // ... the other seven to the common ones in piece order from 31 after the cursor.
    for (uint32_t p = cursor + 32; p <= cursor + 38; ++p) EXPECT_TRUE(requested.count(p)) << p;
    EXPECT_FALSE(requested.count(cursor + 39));
    // Every request is known to the buffer, so no other peer is asked for it.
    for (uint32_t p : requested) EXPECT_FALSE(Buffer().IsPieceWanted(p)) << p;
}

// After 60 s without a successful request the start piece is chosen again.
TEST_F(SchedulerTest, ChoosesTheStartAgainAfter60SecondsWithoutARequest) {
    Send(AcceptPeer(1, true), AvailabilityRun(1000, 104));
    SetSourceRange(1000, 2000);
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(4500);  // the start and 8 requests that are never answered
    ASSERT_TRUE(Scheduler().StartChosen());
    ASSERT_EQ(AllRequested(Scheduler()).size(), 8u);
    fake_net::Advance(60000);
    EXPECT_TRUE(Scheduler().StartChosen()) << "60000 ms since the last request";
    fake_net::Advance(500);
    EXPECT_FALSE(Scheduler().StartChosen());
    fake_net::Advance(500);
    EXPECT_TRUE(Scheduler().StartChosen());
    EXPECT_EQ(Buffer().Cursor(), 1054u);
}

// A map that reaches far beyond the span ahead still gets rarest-first requests, up to 10000
// pieces after the cursor and no further.
TEST_F(SchedulerTest, RarestFirstReachesUpTo10000PiecesAheadOfTheCursor) {
    // 16000 pieces from 1000: dense position 1030 + 15970 x 33 % = 6300.
    const uint32_t start = 6300;
    std::vector<bool> held(16000, false);
    held[start - 1000] = true;
    for (uint32_t p = start + 9995; p < 17000; ++p) held[p - 1000] = true;
    Send(AcceptPeer(1, true), Availability(1000, held));
    SetSourceRange(1000, 20000);
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(4500);
    ASSERT_EQ(Buffer().Cursor(), start);
    std::set<uint32_t> expected;
    for (uint32_t p = start + 9995; p <= start + 10000; ++p) expected.insert(p);
    EXPECT_EQ(AllRequested(Scheduler()), expected);
}

// A peer with a map longer than 60 pieces is about to drop its oldest: it is not asked for its
// first 30. Availability maps come in whole bytes, so the two sides of the rule are 56 and 64.
struct HeadCase {
    uint32_t map_length;
    uint32_t offset;
    bool offered;
};

class HeadRuleTest : public SchedulerTest, public ::testing::WithParamInterface<HeadCase> {};

INSTANTIATE_TEST_SUITE_P(Table, HeadRuleTest,
                         ::testing::Values(HeadCase{56, 0, true}, HeadCase{56, 55, true}, HeadCase{56, 56, false},
                                           HeadCase{64, 0, false}, HeadCase{64, 29, false}, HeadCase{64, 30, true},
                                           HeadCase{64, 63, true}));

TEST_P(HeadRuleTest, LongMapsAreNotAskedForTheirFirst30Pieces) {
    const int s = AcceptPeer(1);
    Send(s, AvailabilityRun(5000, GetParam().map_length));
    EXPECT_EQ(TransferOn(s)->OffersPiece(5000 + GetParam().offset), GetParam().offered);
}

// --- the link tick ---

TEST_F(SchedulerTest, ClosesTheSlowestNonSourceTransfersWhenFewSlotsAreLeft) {
    Open(kStart, 12);
    std::vector<int> sockets;
    for (uint32_t k = 1; k <= 9; ++k) {
        const int s = AcceptPeer(k, /*preferred=*/k == 9);
        // Rates rise with k; the source peer is the slowest of all.
        CRateMeter(TransferOn(s)->Entry().Bytes() + kPeerEntryRateMeter).AddReceived(k == 9 ? 0 : 10000 * k);
        sockets.push_back(s);
    }
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(CPieceScheduler::kLinkTickMs);  // 3 free: 10 - 3 = 7 go
    ASSERT_EQ(Scheduler().TransferCount(), 2u);
    for (uint32_t k = 1; k <= 7; ++k) {
        EXPECT_TRUE(fake_transfer::Get().sockets[sockets[k - 1]].destroyed) << k;
        EXPECT_EQ(fake_transfer::Get().sockets[sockets[k - 1]].frames.back(), Control(kControlClose, {})) << k;
    }
    EXPECT_FALSE(fake_transfer::Get().sockets[sockets[7]].destroyed);
    EXPECT_FALSE(fake_transfer::Get().sockets[sockets[8]].destroyed);
    EXPECT_TRUE(session->transfer_reports.empty()) << "incoming transfers are not the pool's";
}

// Rows: the link tick at which an address is offered, listed or from the pool, and the connect
// time-out in seconds its socket gets.
TEST_F(SchedulerTest, ConnectTimeoutsAre60ForListedPeersThen5AndLater10) {
    Bytes sources(8);
    WritePeerAddress(sources.data(), Address(100));
    ASSERT_TRUE(Scheduler().StartScheduler(1, sources.data()));
    ASSERT_EQ(fake_transfer::Get().connects.size(), 1u);
    const int listed = fake_transfer::Get().connects[0];
    EXPECT_EQ(fake_transfer::Get().sockets[listed].connect_timeout_s, 60);
    const NetSockAddr to = fake_transfer::Get().sockets[listed].connected_to;
    EXPECT_EQ(to.addr_be, PeerIPv4(100));
    EXPECT_EQ(to.port_be, static_cast<uint16_t>(((9100 >> 8) | (9100 << 8)) & 0xFFFF));

    const int expected[] = {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 10, 10};
    for (uint32_t tick = 1; tick <= 12; ++tick) {
        session->next_peers.push_back(Address(tick));
        fake_net::Advance(CPieceScheduler::kLinkTickMs);
        ASSERT_EQ(fake_transfer::Get().connects.size(), tick + 1);
        const int s = fake_transfer::Get().connects.back();
        EXPECT_EQ(fake_transfer::Get().sockets[s].connect_timeout_s, expected[tick - 1]) << "tick " << tick;
    }
    EXPECT_EQ(ReadU32(Stats() + stats_block::kPendingConnects), 13u);
}

TEST_F(SchedulerTest, PendingConnectsCountAgainstTheTransferLimit) {
    Open(kStart, 8);
    for (uint32_t k = 1; k <= 20; ++k) session->next_peers.push_back(Address(k));
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(CPieceScheduler::kLinkTickMs);
    EXPECT_EQ(Scheduler().PendingConnects(), 3u);  // 8 free, 5 kept
    fake_net::Advance(CPieceScheduler::kLinkTickMs);
    EXPECT_EQ(Scheduler().PendingConnects(), 3u) << "the three under way use the slots";
    const auto connects = fake_transfer::Get().connects;
    ASSERT_EQ(connects.size(), 3u);

    fake_transfer::SocketEvent(connects[0], MSG_NET_CONNECTED);
    EXPECT_EQ(Scheduler().TransferCount(), 1u);
    fake_net::Advance(CPieceScheduler::kLinkTickMs);
    EXPECT_EQ(fake_transfer::Get().connects.size(), 3u);

    // Incoming peers fill the limit; a connect that completes then is closed.
    for (uint32_t k = 30; k < 37; ++k) AcceptPeer(k, true);
    ASSERT_EQ(Scheduler().TransferCount(), 8u);
    fake_transfer::SocketEvent(connects[1], MSG_NET_CONNECTED);
    EXPECT_EQ(Scheduler().TransferCount(), 8u);
    EXPECT_TRUE(fake_transfer::Get().sockets[connects[1]].destroyed);
    EXPECT_EQ(ReadU32(Stats() + stats_block::kPendingConnects), 1u);
    fake_transfer::SocketEvent(connects[2], MSG_NET_CONNECT_FAILED, 10061);
    EXPECT_EQ(ReadU32(Stats() + stats_block::kPendingConnects), 0u);
    EXPECT_TRUE(fake_transfer::Get().sockets[connects[2]].destroyed);
}

TEST_F(SchedulerTest, AcceptsIncomingTransfersUpToTheLimit) {
    for (uint32_t k = 1; k <= 64; ++k) AcceptPeer(k);
    EXPECT_EQ(ReadU16(Stats() + stats_block::kLiveTransfers), 64);
    EXPECT_EQ(Stats()[stats_block::kFreeSlots], 0);
    const int s = fake_transfer::AcceptedSocket(PeerIPv4(65), 40065);
    Bytes hello = PeerHello(65);
    EXPECT_FALSE(Scheduler().AcceptTransfer(s, hello.data(), static_cast<uint32_t>(hello.size())));
    EXPECT_TRUE(fake_transfer::Get().sockets[s].destroyed);
    EXPECT_EQ(Scheduler().TransferCount(), 64u);
}

// Rows: the transfer limit, and the link ticks at which the links are asked for more peers
// while the pool wants them. With the free slots all kept, the pool is not asked for addresses
// and the interval doubles (2, 4, 8, 16, 32 s); with slots to fill and an empty pool it falls
// back to 2 s after every tick. The clock wraps at about 65.5 s.
struct BackOffCase {
    const char* what;
    uint16_t transfer_limit;
    std::vector<uint32_t> broadcast_ticks;
};

class LinkBackOffTest : public SchedulerTest, public ::testing::WithParamInterface<BackOffCase> {};

INSTANTIATE_TEST_SUITE_P(Table, LinkBackOffTest,
                         ::testing::Values(BackOffCase{"doubling", 5, {1, 6, 15, 32, 65}},
                                           BackOffCase{"empty_pool", 64, {1, 4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34,
                                                                          37, 40, 43, 46, 49, 52, 55, 58, 61, 64, 67,
                                                                          70}}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_P(LinkBackOffTest, AsksTheLinksLessOftenWhileNothingComes) {
    Open(kStart, GetParam().transfer_limit);
    session->need_more_peers = true;
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    std::vector<uint32_t> ticks;
    for (uint32_t tick = 1; tick <= 70; ++tick) {
        const int before = session->link_broadcasts;
        fake_net::Advance(CPieceScheduler::kLinkTickMs);
        if (session->link_broadcasts != before) ticks.push_back(tick);
    }
    EXPECT_EQ(ticks, GetParam().broadcast_ticks);
    EXPECT_EQ(session->expiries, 70);
}

TEST_F(SchedulerTest, BroadcastsTheAvailabilityMapEvery5000Ms) {
    const int s = AcceptPeer(1, true);
    const int greeting = fake_transfer::AcceptedSocket(PeerIPv4(2), 40002);
    Bytes nothing = {0xE9, 0x03, 'Z', 1};
    ASSERT_TRUE(Scheduler().AcceptTransfer(greeting, nothing.data(), 4));
    ASSERT_TRUE(Scheduler().StartScheduler(0, nullptr));
    fake_net::Advance(3000);  // before the greeting peer's hello time-out
    EXPECT_TRUE(fake_transfer::SentOfType(greeting, kPacketAvailability).empty()) << "not established";
    fake_net::Advance(8000);
    EXPECT_EQ(fake_transfer::SentOfType(s, kPacketAvailability).size(), 3u);  // ticks 1, 6 and 11
}

TEST_F(SchedulerTest, TakesAtMost64SourcePeersAndSkipsItself) {
    Bytes list(8 * 70);
    for (uint32_t i = 0; i < 70; ++i) WritePeerAddress(&list[8 * i], Address(i + 1));
    WritePeerAddress(&list[0], {test_session::kOwnIPv4, test_session::kOwnTcp, 1});
    WritePeerAddress(&list[8], {test_session::kOwnIPv4, test_session::kOwnTcp + 1, 1});
    ASSERT_TRUE(Scheduler().StartScheduler(70, list.data()));
    EXPECT_FALSE(Scheduler().StartScheduler(70, list.data()));
    EXPECT_EQ(session->sources.Size(), 63u);
    EXPECT_FALSE(session->sources.Contains({test_session::kOwnIPv4, test_session::kOwnTcp, 1}));
    EXPECT_TRUE(session->sources.Contains({test_session::kOwnIPv4, test_session::kOwnTcp + 1, 1}));
    EXPECT_FALSE(session->sources.Contains(Address(65)));
    EXPECT_EQ(Scheduler().PendingConnects(), 63u);
    EXPECT_EQ(Scheduler().StopScheduler(), 1);
    EXPECT_EQ(Scheduler().PendingConnects(), 0u);
    EXPECT_EQ(ReadU32(Stats() + stats_block::kPendingConnects), 0u);
    EXPECT_EQ(Scheduler().StopScheduler(), 0);
}

// --- transfer ends ---

TEST_F(SchedulerTest, AStaleEndMessageNeverRemovesAnotherTransfer) {
    const int first_socket = AcceptPeer(1);
    CPeerTransfer* first = TransferOn(first_socket);
    Send(first_socket, Control(kControlClose, {}));
    Send(first_socket, Control(kControlClose, {}));
    ASSERT_EQ(EndsPosted(), 1u) << "a transfer ends once";
    const fake_transfer::Posted stale = fake_transfer::PostedOf(MSG_TRANSFER_ENDED)[0];
    EXPECT_EQ(stale.sender, first->AsTarget());
    // Removed another way while its message is still queued (a low-rate close, say).
    Scheduler().RemoveTransfer(first, 0);
    const int second_socket = AcceptPeer(2);
    CPeerTransfer* second = TransferOn(second_socket);

    // The stale message arrives, even as if its sender's address now held the new transfer.
    for (uint32_t sender : {stale.sender, second->AsTarget()}) {
        FrameworkMessage msg{Scheduler().AsTarget(), sender, MSG_TRANSFER_ENDED, 0, stale.p2, 0, 0, 0};
        Scheduler().OnMessage(&msg);
    }
    EXPECT_TRUE(Scheduler().HasTransfer(second));
    // Its own end removes it.
    Send(second_socket, Control(kControlRefused, {}));
    fake_core::Get().posted.erase(fake_core::Get().posted.begin());
    DeliverEnds();
    EXPECT_FALSE(Scheduler().HasTransfer(second));
}

TEST_F(SchedulerTest, ReportsAnEstablishedOutgoingTransferToThePoolWhenItEnds) {
    Bytes sources(8);
    WritePeerAddress(sources.data(), Address(7));
    ASSERT_TRUE(Scheduler().StartScheduler(1, sources.data()));
    const int s = fake_transfer::Get().connects.at(0);
    fake_transfer::SocketEvent(s, MSG_NET_CONNECTED);
    ASSERT_EQ(Scheduler().TransferCount(), 1u);
    CPeerTransfer* transfer = TransferOn(s);
    EXPECT_TRUE(transfer->IsSource());
    EXPECT_EQ(transfer->Window(), 8u);
    EXPECT_EQ(fake_transfer::SentOfType(s, kPacketHello).size(), 1u);
    Send(s, PeerHello(7));
    ASSERT_TRUE(transfer->IsEstablished());
    Send(s, Control(kControlClose, {}));
    DeliverEnds();
    ASSERT_EQ(session->transfer_reports.size(), 1u);
    EXPECT_EQ(session->transfer_reports[0].first, Address(7));
    EXPECT_EQ(session->transfer_reports[0].second, 1000u / 8);
}

}  // namespace

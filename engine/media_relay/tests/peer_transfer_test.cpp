// Peer transfers on a virtual clock: the dispatch of received frames, the hello, control and
// request handling, the request window, request time-outs and the bookkeeping in the peer table.
#include "transfer/peer_transfer.h"

#include <gtest/gtest.h>

#include "scheduler_fixture.h"

namespace {

using namespace scheduler_test;
using piece_builder::DataPacket;

class PeerTransferTest : public SchedulerTest {
protected:
    // Peer 1, established, holding pieces [first, first + count).
    void SetUp() override {
        SchedulerTest::SetUp();
        socket = AcceptPeer(1, /*preferred=*/true);
        transfer = TransferOn(socket);
        Send(socket, AvailabilityRun(kFirst, 64));
    }
    bool Ended() { return EndsPosted() != 0; }
    // A request pass stamps the pass the next requests belong to.
    void NewPass() { Scheduler().RequestPass(); }

    static constexpr uint32_t kFirst = 2000000;
    int socket = -1;
    CPeerTransfer* transfer = nullptr;
};

TEST_F(PeerTransferTest, GreetsAndIsEstablishedByAValidHello) {
    const auto hellos = fake_transfer::SentOfType(socket, kPacketHello);
    ASSERT_EQ(hellos.size(), 1u);
    EXPECT_EQ(hellos[0].size(), kHelloLength);
    EXPECT_TRUE(transfer->IsEstablished());
    const uint8_t* entry = transfer->Entry().Bytes();
    EXPECT_EQ(ReadU16(entry + kPeerEntryTcpPort), 9001);
    EXPECT_EQ(ReadU16(entry + kPeerEntryUdpPort), 9501);
    EXPECT_EQ(ReadU32(entry + kPeerEntryMapFirst), kFirst);
    EXPECT_EQ(ReadU32(entry + kPeerEntryMapEnd), kFirst + 64);
    // The answer to the hello lists this host, not the asking peer.
    const auto lists = fake_transfer::SentOfType(socket, kPacketPeerList);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0][kPeerListCountOffset], 1);
}

// Each row: the frames a fresh incoming peer sends (made once the engine stand-in is bound),
// and whether the transfer ends.
struct DispatchCase {
    const char* what;
    std::vector<Bytes> (*frames)();
    bool ends;
};

class PeerTransferDispatchTest : public SchedulerTest, public ::testing::WithParamInterface<DispatchCase> {};

Bytes Truncated(Bytes b, size_t n) {
    b.resize(n);
    return b;
}
Bytes WithType(uint8_t type, size_t length) {
    Bytes b(std::max<size_t>(length, 4), 0);
    WriteU16(b.data(), 1001);
    b[2] = type;
    b[3] = 1;
    b.resize(length);
    return b;
}
Bytes LyingPiece() {
    Bytes b = DataPacket(2000001, 10, 1);
    WriteU16(b.data() + 9, 200);
    return b;
}
const uint8_t kOtherChannel[16] = {0x77};

INSTANTIATE_TEST_SUITE_P(
    Frames, PeerTransferDispatchTest,
    ::testing::Values(
        DispatchCase{"hello_then_3_bytes", [] { return std::vector<Bytes>{PeerHello(2), WithType('C', 3)}; }, true},
        DispatchCase{"hello_then_4_bytes_unknown_type", [] { return std::vector<Bytes>{PeerHello(2), WithType('Z', 4)}; }, false},
        DispatchCase{"hello_then_C", [] { return std::vector<Bytes>{PeerHello(2), WithType('C', 40)}; }, false},
        DispatchCase{"hello_then_11_byte_F", [] { return std::vector<Bytes>{PeerHello(2), WithType('F', 11)}; }, false},
        DispatchCase{"hello_then_F_longer_than_its_frame", [] { return std::vector<Bytes>{PeerHello(2), LyingPiece()}; }, false},
        DispatchCase{"F_before_hello", [] { return std::vector<Bytes>{DataPacket(2000001, 10, 1)}; }, false},
        DispatchCase{"hello_of_other_channel", [] { return std::vector<Bytes>{PeerHello(2, kOtherChannel)}; }, true},
        DispatchCase{"hello_cut_short", [] { return std::vector<Bytes>{Truncated(PeerHello(2), 56)}; }, true},
        DispatchCase{"hello_then_close", [] { return std::vector<Bytes>{PeerHello(2), Control(kControlClose, {})}; }, true},
        DispatchCase{"hello_then_refusal", [] { return std::vector<Bytes>{PeerHello(2), Control(kControlRefused, {})}; }, true},
        DispatchCase{"hello_then_control_cut_short", [] { return std::vector<Bytes>{PeerHello(2), Truncated(Control(7, {1, 2, 3, 4}), 10)}; }, true},
        DispatchCase{"hello_then_unknown_control", [] { return std::vector<Bytes>{PeerHello(2), Control(7, {1, 2})}; }, false},
        DispatchCase{"hello_then_D_cut_short", [] { return std::vector<Bytes>{PeerHello(2), Truncated(AvailabilityRun(100, 16), 19)}; }, true},
        DispatchCase{"hello_then_E_cut_short", [] { return std::vector<Bytes>{PeerHello(2), Truncated(PieceRequest({5, 6}), 12)}; }, true}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_P(PeerTransferDispatchTest, EndsOnlyOnWhatItCannotTake) {
    const int s = fake_transfer::AcceptedSocket(PeerIPv4(2), 40002);
    // The hello, when there is one, comes as the connection's first frame.
    const std::vector<Bytes> frames = GetParam().frames();
    ASSERT_TRUE(Scheduler().AcceptTransfer(s, frames[0].data(), static_cast<uint32_t>(frames[0].size())));
    for (size_t i = 1; i < frames.size(); ++i) Send(s, frames[i]);
    EXPECT_EQ(EndsPosted(), GetParam().ends ? 1u : 0u);
    if (!GetParam().ends) {
        EXPECT_GE(fake_transfer::Get().sockets[s].receives, 2);
    }
}

TEST_F(PeerTransferTest, RefusesAHelloFromItselfOrFromAPeerAlreadyConnected) {
    // Own id: the engine would talk to itself.
    const int own = fake_transfer::AcceptedSocket(PeerIPv4(3), 40003);
    PeerPacket hello;
    BuildHelloPacket(hello, test_session::kChannelGuid, test_session::kOwnPeerId, {}, 0, 0);
    EXPECT_TRUE(Scheduler().AcceptTransfer(own, hello.bytes, hello.length));
    EXPECT_EQ(EndsPosted(), 1u);
    // Peer 1 again on a second connection.
    const int again = fake_transfer::AcceptedSocket(PeerIPv4(1), 40004);
    Bytes second = PeerHello(1);
    EXPECT_TRUE(Scheduler().AcceptTransfer(again, second.data(), static_cast<uint32_t>(second.size())));
    EXPECT_EQ(EndsPosted(), 2u);
}

TEST_F(PeerTransferTest, EndsWhenNoHelloCameWithin4000Ms) {
    const int s = fake_transfer::AcceptedSocket(PeerIPv4(2), 40002);
    Bytes nothing = WithType('Z', 4);
    ASSERT_TRUE(Scheduler().AcceptTransfer(s, nothing.data(), 4));
    fake_net::Advance(3999);
    EXPECT_EQ(EndsPosted(), 0u);
    fake_net::Advance(1);
    EXPECT_EQ(EndsPosted(), 1u);
    // The close that follows is not a second end.
    fake_transfer::SocketEvent(s, MSG_NET_CLOSED);
    EXPECT_EQ(EndsPosted(), 1u);
}

// Window samples. Rows: pieces requested in one pass, the delay of each arrival after the
// pass, and the window after the last arrival (the transfer starts with window 8).
struct WindowCase {
    const char* what;
    std::vector<uint32_t> arrival_delays_ms;
    uint32_t window_after_first;
    uint32_t window_after_last;
};

class PeerTransferWindowTest : public PeerTransferTest, public ::testing::WithParamInterface<WindowCase> {};

INSTANTIATE_TEST_SUITE_P(
    Samples, PeerTransferWindowTest,
    ::testing::Values(
        // One piece in the pass's own tick: the top sample.
        WindowCase{"same_tick", {0}, 8, 8},
        // One piece 2500 ms on: 1 / 2500 x 5000 = 2.
        WindowCase{"one_in_2500ms", {2500}, 2, 2},
        // Two pieces: the first leaves the window alone, the second samples 2 / 2500 x 5000 = 4.
        WindowCase{"two_in_2500ms", {1000, 1500}, 8, 4},
        // Two pieces: the first after more than 5000 ms shrinks the window by one; the second
        // samples 2 / 6001 x 5000 = 1.
        WindowCase{"two_late", {5001, 1000}, 7, 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_P(PeerTransferWindowTest, FollowsTheDeliveryRate) {
    const auto& delays = GetParam().arrival_delays_ms;
    NewPass();
    for (uint32_t i = 0; i < delays.size(); ++i) ASSERT_TRUE(transfer->RequestPiece(kFirst + i, 60000));
    for (uint32_t i = 0; i < delays.size(); ++i) {
        fake_net::Advance(delays[i]);
        Send(socket, DataPacket(kFirst + i, 1000 + i, 1));
        if (i == 0) {
            EXPECT_EQ(transfer->Window(), GetParam().window_after_first);
        }
    }
    EXPECT_EQ(transfer->Window(), GetParam().window_after_last);
    EXPECT_EQ(ReadU32(transfer->Entry().Bytes() + kPeerEntryWindow), transfer->Window());
    EXPECT_EQ(ReadU32(transfer->Entry().Bytes() + kPeerEntryOutstanding), 0u);
}

TEST_F(PeerTransferTest, ASlowSampleOfZeroEndsAPlainTransfer) {
    const int s = AcceptPeer(2);
    CPeerTransfer* plain = TransferOn(s);
    Send(s, AvailabilityRun(kFirst, 8));
    NewPass();
    ASSERT_TRUE(plain->RequestPiece(kFirst, 60000));
    EXPECT_FALSE(plain->RequestPiece(kFirst + 1, 60000)) << "window 1 is full";
    fake_net::Advance(6000);  // 1 / 6000 x 5000 < 1
    Send(s, DataPacket(kFirst, 1000, 1));
    EXPECT_EQ(plain->Window(), 0u);
    EXPECT_EQ(EndsPosted(), 1u);
}

TEST_F(PeerTransferTest, RequestsAreNotifiedAndTimeOutWith3026) {
    fake_net::Advance(0x10000 - 3000);  // the deadline lies beyond the tick counter's wrap
    NewPass();
    ASSERT_TRUE(Buffer().AddPieceRequest(kFirst + 5, transfer));
    ASSERT_TRUE(transfer->RequestPiece(kFirst + 5, 5000));
    EXPECT_FALSE(transfer->RequestPiece(kFirst + 5, 5000)) << "already outstanding";
    const uint32_t far_end = ReadU32(transfer->Entry().Bytes() + kPeerEntryConnectionIPv4);
    ASSERT_EQ(session->notices.size(), 1u);
    EXPECT_EQ(session->notices[0], (Notice{CPeerTransfer::kNotifyRequested, far_end, kFirst + 5}));
    EXPECT_EQ(ReadU32(transfer->Entry().Bytes() + kPeerEntryRequests), kFirst + 5);

    fake_net::Advance(5000);  // across the tick wrap
    transfer->CheckRequestTimeouts();
    EXPECT_EQ(session->notices.size(), 1u) << "not yet past the deadline";
    fake_net::Advance(1);
    transfer->CheckRequestTimeouts();
    transfer->CheckRequestTimeouts();
    ASSERT_EQ(session->notices.size(), 2u) << "once per request";
    EXPECT_EQ(session->notices[1], (Notice{CPeerTransfer::kNotifyTimedOut, far_end, kFirst + 5}));
    // Handed back: the buffer wants it again and this peer is not asked for it again; the
    // request still takes its window slot until the peer answers.
    EXPECT_TRUE(Buffer().IsPieceWanted(kFirst + 5));
    EXPECT_FALSE(transfer->PeerMap().Has(kFirst + 5));
    EXPECT_EQ(transfer->FreeRequestSlots(), 7u);
    // The late piece is still taken.
    Send(socket, DataPacket(kFirst + 5, 100, 1));
    EXPECT_FALSE(transfer->Requests().Contains(kFirst + 5));
    EXPECT_NE(Buffer().GetPiece(kFirst + 5), nullptr);
    EXPECT_EQ(session->notices.back(), (Notice{CPeerTransfer::kNotifyReceived, far_end, kFirst + 5}));
}

TEST_F(PeerTransferTest, PieceUnavailableForgetsTheRequest) {
    NewPass();
    ASSERT_TRUE(Buffer().AddPieceRequest(kFirst + 3, transfer));
    ASSERT_TRUE(transfer->RequestPiece(kFirst + 3, 5000));
    Send(socket, Unavailable(kFirst + 9));  // not outstanding: nothing happens
    EXPECT_EQ(transfer->Requests().Count(), 1u);
    Send(socket, Unavailable(kFirst + 3));
    EXPECT_EQ(transfer->Requests().Count(), 0u);
    EXPECT_EQ(ReadU32(transfer->Entry().Bytes() + kPeerEntryLost), 1u);
    EXPECT_FALSE(transfer->PeerMap().Has(kFirst + 3));
    EXPECT_TRUE(Buffer().IsPieceWanted(kFirst + 3));
    EXPECT_EQ(EndsPosted(), 0u);
}

TEST_F(PeerTransferTest, TakesOnlyPiecesItAskedFor) {
    SetSourceRange(kFirst, kFirst + 20000);
    Buffer().DeliverPiece(piece_builder::Data(kFirst, 1000, 1));
    ASSERT_EQ(Buffer().Cursor(), kFirst);
    // Far ahead inside the source range: taken, it would empty the buffer and jump there.
    Send(socket, DataPacket(kFirst + 5001, 2000, 1));
    // Stamped earlier than the cursor piece: taken, it would jump too.
    Send(socket, DataPacket(kFirst + 1, 500, 1));
    EXPECT_EQ(Buffer().Cursor(), kFirst);
    EXPECT_EQ(Buffer().GetPiece(kFirst + 5001), nullptr);
    EXPECT_EQ(Buffer().GetPiece(kFirst + 1), nullptr);
    EXPECT_NE(Buffer().GetPiece(kFirst), nullptr);
    EXPECT_EQ(EndsPosted(), 0u);

    NewPass();
    ASSERT_TRUE(transfer->RequestPiece(kFirst + 2, 5000));
    Send(socket, DataPacket(kFirst + 2, 1100, 1));
    EXPECT_NE(Buffer().GetPiece(kFirst + 2), nullptr);
}

TEST_F(PeerTransferTest, AnswersRequestsAndTurnsAwayWhatACongestedQueueCannotTake) {
    Buffer().DeliverPiece(piece_builder::Data(kFirst, 1000, 1));
    Buffer().DeliverPiece(piece_builder::Data(kFirst + 1, 1100, 1));
    auto& sent = fake_transfer::Get().sockets[socket];
    sent.frames.clear();
    Send(socket, PieceRequest({kFirst, kFirst + 1, kFirst + 7}));
    ASSERT_EQ(sent.frames.size(), 3u);
    EXPECT_EQ(sent.frames[0], DataPacket(kFirst, 1000, 1));
    EXPECT_EQ(sent.frames[1], DataPacket(kFirst + 1, 1100, 1));
    EXPECT_EQ(sent.frames[2], Unavailable(kFirst + 7));

    sent.frames.clear();
    sent.pending = CPeerTransfer::kCongestedSends + 1;
    std::vector<uint32_t> many(255, kFirst);
    Send(socket, PieceRequest(many));
    ASSERT_EQ(sent.frames.size(), 255u);
    for (const Bytes& frame : sent.frames) EXPECT_EQ(frame, Unavailable(kFirst));
}

// A peer that asks for much and reads nothing: the library never gets rid of a send. What one
// transfer keeps queued stays within its bound; once the peer has read, pieces flow again.
TEST_F(PeerTransferTest, AnswersAPeerThatDoesNotReadOnlyUpToTheQueuedBound) {
    const std::string body(60000, 'x');
    for (uint32_t i = 0; i < 8; ++i) Buffer().DeliverPiece(piece_builder::Data(kFirst + i, 1000 + i, 1, body));
    auto& sent = fake_transfer::Get().sockets[socket];
    sent.frames.clear();
    sent.pending = 0;
    sent.holds_sends = true;  // nothing ever leaves
    std::vector<uint32_t> held;
    for (uint32_t i = 0; i < 255; ++i) held.push_back(kFirst + i % 8);
    for (int request = 0; request < 20; ++request) Send(socket, PieceRequest(held));

    size_t pieces = 0, bytes = 0;
    for (const Bytes& frame : sent.frames) {
        bytes += frame.size();
        if (frame.size() > 1000) ++pieces;
    }
    EXPECT_EQ(pieces, CSendBacklog::kMaxBytes / (body.size() + 19));
    EXPECT_LE(bytes, CSendBacklog::kMaxBytes);
    EXPECT_LE(sent.frames.size(), CSendBacklog::kMaxSends);
    EXPECT_LE(transfer->QueuedBytes(), CSendBacklog::kMaxBytes);
    EXPECT_FALSE(Ended()) << "the peer may still read";

    sent.frames.clear();
    sent.holds_sends = false;
    sent.pending = 0;  // it read everything
    Send(socket, PieceRequest({kFirst + 3}));
    ASSERT_EQ(sent.frames.size(), 1u);
    EXPECT_EQ(sent.frames[0], DataPacket(kFirst + 3, 1003, 1, body));
}

TEST_F(PeerTransferTest, CongestionSkipsAtMostFiveBroadcastsInARow) {
    auto& sent = fake_transfer::Get().sockets[socket];
    sent.frames.clear();
    sent.pending = CPeerTransfer::kCongestedSends + 1;
    const Bytes map = AvailabilityRun(1, 8);
    for (int i = 0; i < 12; ++i) transfer->SendPacket(map.data(), static_cast<uint32_t>(map.size()));
    EXPECT_EQ(sent.frames.size(), 2u);  // the 6th and the 12th
    sent.pending = CPeerTransfer::kCongestedSends;
    transfer->SendPacket(map.data(), static_cast<uint32_t>(map.size()));
    EXPECT_EQ(sent.frames.size(), 3u);
}

TEST_F(PeerTransferTest, SourceMapsExtendTheSourceRangeOnlyUpwards) {
    SetSourceRange(kFirst, kFirst + 64);
    // Not above the known high end: unchanged.
    Send(socket, AvailabilityRun(kFirst + 8, 56));
    EXPECT_EQ(ReadU32(Stats() + stats_block::kSourceLow), kFirst);
    EXPECT_EQ(ReadU32(Stats() + stats_block::kSourceHigh), kFirst + 64);
    Send(socket, AvailabilityRun(kFirst + 8, 64));
    EXPECT_EQ(ReadU32(Stats() + stats_block::kSourceLow), kFirst + 8);
    EXPECT_EQ(ReadU32(Stats() + stats_block::kSourceHigh), kFirst + 72);
}

TEST_F(PeerTransferTest, GivesBackItsEntryRequestsAndSlotsWhenRemoved) {
    const uint8_t* stats = Stats();
    EXPECT_EQ(ReadU16(stats + stats_block::kLiveTransfers), 1);
    EXPECT_EQ(stats[stats_block::kIncoming], 1);
    EXPECT_EQ(stats[stats_block::kFreeSlots], 63);
    NewPass();
    ASSERT_TRUE(Buffer().AddPieceRequest(kFirst + 1, transfer));
    ASSERT_TRUE(transfer->RequestPiece(kFirst + 1, 5000));
    uint8_t* entry = transfer->Entry().Bytes();

    Send(socket, Control(kControlClose, {}));
    ASSERT_EQ(EndsPosted(), 1u);
    DeliverEnds();
    EXPECT_EQ(Scheduler().TransferCount(), 0u);
    EXPECT_EQ(entry[kPeerEntryState], 0);
    EXPECT_EQ(ReadU16(stats + stats_block::kLiveTransfers), 0);
    EXPECT_EQ(stats[stats_block::kIncoming], 0);
    EXPECT_EQ(stats[stats_block::kFreeSlots], 64);
    EXPECT_TRUE(Buffer().IsPieceWanted(kFirst + 1));
    EXPECT_TRUE(fake_transfer::Get().sockets[socket].destroyed);
    // It was established: the peer hears '@' kind 1 last.
    EXPECT_EQ(fake_transfer::Get().sockets[socket].frames.back(), Control(kControlClose, {}));
}

TEST_F(PeerTransferTest, TheFreeSlotByteShowsNoneWhenMoreLiveThanTheLimit) {
    AcceptPeer(2);
    EXPECT_EQ(Stats()[stats_block::kFreeSlots], 62);
    // The host lowers its limit below the transfers that live: the byte shows none free.
    SetTransferLimit(1);
    const int s = fake_transfer::AcceptedSocket(PeerIPv4(3), 40003);
    Bytes hello = PeerHello(3);
    EXPECT_FALSE(Scheduler().AcceptTransfer(s, hello.data(), static_cast<uint32_t>(hello.size())));
    Send(socket, Control(kControlClose, {}));
    DeliverEnds();
    EXPECT_EQ(Stats()[stats_block::kFreeSlots], 0);
}

}  // namespace

#include <gtest/gtest.h>

#include <vector>

#include "fake_engine.h"
#include "packets/transfer_packets.h"
#include "piece_builder.h"
#include "pieces/stream_buffer.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"

namespace {

using namespace piece_builder;
using namespace stats_block;

constexpr uint32_t kHeader = 1000000;

class TestOwner : public CStreamBufferOwner {
public:
    TestOwner() : stats(kSize, 0) {}
    uint8_t* StatsBlock() override { return stats.data(); }
    bool IsLiveTransfer(CPeerTransfer* transfer) override { return transfer == live; }
    void RequestPiece(CPeerTransfer* transfer, uint32_t piece, uint32_t timeout_ms) override {
        requests.push_back({transfer, piece, timeout_ms});
    }
    struct Request {
        CPeerTransfer* transfer;
        uint32_t piece, timeout_ms;
    };
    std::vector<uint8_t> stats;
    CPeerTransfer* live = nullptr;
    std::vector<Request> requests;
};

class StreamBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_engine::Install(1000);
        buffer = std::make_unique<CStreamBuffer>(&owner);
        server = std::make_unique<CStreamServer>(buffer.get());
        buffer->SetStreamServer(server.get());
        server->Start(1, 5000, 15000);
        buffer->Start();
    }
    void TearDown() override {
        real_time = false;
        server.reset();
        buffer.reset();
    }

    uint32_t Stat(uint32_t offset) { return StatsBlockView(owner.stats.data()).Get32(offset); }
    void SetStat(uint32_t offset, uint32_t value) { StatsBlockView(owner.stats.data()).Put32(offset, value); }
    void SetSourceRange(uint32_t low, uint32_t high) {
        SetStat(kSourceLow, low);
        SetStat(kSourceHigh, high);
    }
    // From now on every tick finds enough stream ready for the play clock to run with real time.
    void ReadyForRealTime() { real_time = true; }
    void Deliver(uint32_t number, uint32_t time_stamp, uint32_t header_id = kHeader) {
        buffer->DeliverPiece(Data(number, time_stamp, header_id));
    }
    void Tick(uint32_t ms = CStreamBuffer::kTickMs) {
        fake_engine::Advance(ms);
        if (real_time) {
            SetStat(kReadyMs, 100000);
            owner.stats[kLossPercent] = 0;
        }
        buffer->OnTimer(nullptr);
    }

    TestOwner owner;
    bool real_time = false;
    std::unique_ptr<CStreamBuffer> buffer;
    std::unique_ptr<CStreamServer> server;
};

TEST_F(StreamBufferTest, StartStopAndJumpOnlyFromTheirStates) {
    EXPECT_EQ(buffer->State(), BUFFER_WAITING);
    EXPECT_FALSE(buffer->Start());
    EXPECT_TRUE(buffer->Stop());
    EXPECT_EQ(buffer->State(), BUFFER_IDLE);
    EXPECT_FALSE(buffer->Stop());
    EXPECT_FALSE(buffer->JumpTo(500));
    EXPECT_TRUE(buffer->Start());
    EXPECT_TRUE(buffer->JumpTo(500));
    EXPECT_EQ(buffer->Cursor(), 500u);
    EXPECT_EQ(buffer->Target(), 500u);
    EXPECT_EQ(Stat(kJumpPiece), 500u);
    EXPECT_EQ(buffer->State(), BUFFER_WAITING);
}

TEST_F(StreamBufferTest, TheFirstDataPieceStartsPlayingAtItsOwnNumber) {
    Deliver(kHeader + 7, 123456);
    EXPECT_EQ(buffer->State(), BUFFER_PLAYING);
    EXPECT_EQ(buffer->Cursor(), kHeader + 7);
    EXPECT_EQ(buffer->Target(), kHeader + 7);
    EXPECT_EQ(buffer->PlayedCount(), 1u);  // the cursor piece itself
    EXPECT_EQ(Stat(kPlayedPieces), 1u);
    auto timers = fake_engine::LiveTimers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].ms, 500u);
    EXPECT_EQ(timers[0].repeat, 1u);

    // A piece below the cursor while waiting (after a jump) does not start playing.
    buffer->JumpTo(kHeader + 100);
    Deliver(kHeader + 99, 0);
    EXPECT_EQ(buffer->State(), BUFFER_WAITING);
}

TEST_F(StreamBufferTest, OtherKindsAndDuplicatesAreDestroyed) {
    Deliver(kHeader + 1, 0);
    buffer->DeliverPiece(Data(kHeader + 1, 999, kHeader));
    EXPECT_EQ(buffer->GetPiece(kHeader + 1)->TimeStamp(), 0u);
    buffer->DeliverPiece(FromPacket(Packet(kHeader + 2, 3, U16(0))));
    EXPECT_TRUE(buffer->Index().HasNoEntry(kHeader + 2));
    buffer->DeliverPiece(nullptr);
    EXPECT_EQ(buffer->PlayedCount(), 1u);
}

TEST_F(StreamBufferTest, JumpCheckFarAheadInsideTheSourceRange) {
    struct Case {
        const char* name;
        uint32_t ahead;
        uint32_t source_low, source_high;
        bool jumps;
    } cases[] = {
        {"5000 ahead", 5000, kHeader, kHeader + 20000, false},
        {"5001 ahead", 5001, kHeader, kHeader + 20000, true},
        {"beyond high + 4000", 5001, kHeader, kHeader + 5001 - 4000, false},
        {"just below high + 4000", 5001, kHeader, kHeader + 5003 - 4000, true},
        {"at low - 2000", 5001, kHeader + 5002 + 2000, kHeader + 20000, false},
        {"just above low - 2000", 5001, kHeader + 5001 + 2000, kHeader + 20000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        SetSourceRange(c.source_low, c.source_high);
        Deliver(kHeader + 1, 0);
        Deliver(kHeader + 2, 40);
        Deliver(kHeader + 1 + c.ahead, 100000);
        if (c.jumps) {
            EXPECT_EQ(buffer->Cursor(), kHeader + 1 + c.ahead);
            EXPECT_EQ(buffer->FirstDataPiece(), kHeader + 1 + c.ahead);  // the buffer was emptied
            EXPECT_EQ(Stat(kJumpPiece), kHeader + 1 + c.ahead);
            EXPECT_EQ(buffer->State(), BUFFER_PLAYING);  // playing again from that piece
        } else {
            EXPECT_EQ(buffer->Cursor(), kHeader + 1);
            EXPECT_EQ(buffer->FirstDataPiece(), kHeader + 1);
        }
        TearDown();
    }
}

TEST_F(StreamBufferTest, AHeaderPieceFarAheadJumpsToo) {
    SetSourceRange(kHeader, kHeader + 20000);
    Deliver(kHeader + 1, 0);
    buffer->DeliverPiece(Header(kHeader + 6000));
    EXPECT_EQ(buffer->Cursor(), kHeader + 6000);
    EXPECT_EQ(buffer->State(), BUFFER_WAITING);
    EXPECT_TRUE(server->FindHeader(kHeader + 6000));  // kept after the server's restart
}

TEST_F(StreamBufferTest, ALaterPieceStampedEarlierRestartsAtIt) {
    Deliver(kHeader + 1, 50000);
    Deliver(kHeader + 2, 50040);
    Deliver(kHeader + 3, 50080);
    EXPECT_EQ(buffer->Cursor(), kHeader + 1);
    Deliver(kHeader + 10, 10);  // the source restarted its clock
    EXPECT_EQ(buffer->Cursor(), kHeader + 10);
    EXPECT_EQ(buffer->FirstDataPiece(), kHeader + 10);
    EXPECT_EQ(buffer->LastDataPiece(), kHeader + 10);
    // A lower number stamped earlier is just a late piece.
    Deliver(kHeader + 5, 0);
    EXPECT_EQ(buffer->Cursor(), kHeader + 10);
}

TEST_F(StreamBufferTest, TheContiguousRunPassesOnlyHeaderGaps) {
    const uint32_t c = kHeader + 1;
    struct Case {
        const char* name;
        std::vector<uint32_t> data;     // offsets from the first piece
        std::vector<uint32_t> headers;  // offsets of header pieces the server holds
        uint32_t cursor;
    } cases[] = {
        {"no gap", {0, 1, 2}, {}, 2},
        {"gap of one that is a header", {0, 2}, {1}, 2},
        {"gap of one, no header", {0, 2}, {}, 0},
        {"gap of two, second a header", {0, 3}, {2}, 3},
        {"gap of two, only the first a header", {0, 3}, {1}, 0},
        {"gap of three", {0, 4}, {1, 2, 3}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SetUp();
        for (uint32_t h : k.headers) server->AddHeader(Header(c + h));
        // Far in the future on the play clock: only the run can move the cursor.
        for (uint32_t d : k.data) Deliver(c + d, d == 0 ? 0 : 1000000);
        Tick();
        EXPECT_EQ(buffer->Cursor(), c + k.cursor);
        TearDown();
    }
}

TEST_F(StreamBufferTest, AMissingPieceIsSkippedOnceThePlayClockReachesTheNext) {
    const uint32_t c = kHeader + 1;
    Deliver(c, 0);
    Deliver(c + 2, 2000);
    buffer->AddPieceRequest(c + 1, nullptr);  // outstanding: passed over, not waited for
    Tick(1000);
    EXPECT_EQ(buffer->Cursor(), c);
    // With less than 50 s ready the clock runs 50 s behind real time.
    fake_engine::Advance(50000);
    Tick(500);
    EXPECT_EQ(buffer->Cursor(), c);
    Tick(500);
    EXPECT_EQ(buffer->Cursor(), c + 2);
    EXPECT_EQ(buffer->PlayedCount(), 2u);
}

TEST_F(StreamBufferTest, WithFiftySecondsReadyThePlayClockRunsWithRealTime) {
    const uint32_t c = kHeader + 1;
    Deliver(c, 0);
    Deliver(c + 2, 2000);
    ReadyForRealTime();
    Tick(1999);
    EXPECT_EQ(buffer->Cursor(), c);
    Tick(1);
    EXPECT_EQ(buffer->Cursor(), c + 2);
}

TEST_F(StreamBufferTest, OneDataPieceOnlyDoesNotAdvance) {
    Deliver(kHeader + 1, 0);
    ReadyForRealTime();
    Tick(100000);
    EXPECT_EQ(buffer->Cursor(), kHeader + 1);
}

TEST_F(StreamBufferTest, EvictsOnlyDataPiecesMoreThanSeventySecondsBehindThePlayClock) {
    const uint32_t c = kHeader + 10;
    buffer->AddPieceRequest(c - 5, nullptr);
    Deliver(c, 0);
    buffer->AddPieceRequest(c + 1, nullptr);
    for (uint32_t k = 2; k <= 8; ++k) Deliver(c + k, k * 10000);
    ReadyForRealTime();
    Tick(70000);  // clock at 70000: everything up to c + 7 is due, nothing is 70 s old yet
    EXPECT_EQ(buffer->Cursor(), c + 7);
    EXPECT_TRUE(buffer->GetPiece(c));
    const uint32_t played = buffer->PlayedCount();

    Tick(20000);  // clock at 90000: keep from 20000 on
    EXPECT_EQ(buffer->GetPiece(c), nullptr);
    EXPECT_EQ(buffer->GetPiece(c + 2)->TimeStamp(), 20000u);
    EXPECT_FALSE(buffer->Index().HasNoEntry(c - 5));  // requests are never evicted
    EXPECT_FALSE(buffer->Index().HasNoEntry(c + 1));
    EXPECT_EQ(buffer->PlayedCount(), played - 1 + 1);  // one erased, the cursor moved on by one
    EXPECT_EQ(buffer->Cursor(), c + 8);
}

TEST_F(StreamBufferTest, LossFigureRaisesShortSpansToTen) {
    Deliver(kHeader + 1, 0);
    Deliver(kHeader + 2, 1000000);
    Tick();
    ASSERT_EQ(buffer->Cursor(), kHeader + 2);
    ASSERT_EQ(buffer->PlayedCount(), 2u);
    EXPECT_EQ(owner.stats[kLossPercent], 80);
}

TEST_F(StreamBufferTest, LossFigureCountsTheSkippedPieces) {
    const uint32_t c = kHeader + 1;
    Deliver(c, 0);
    for (uint32_t k = 2; k < 20; k += 2) Deliver(c + k, k * 100);  // every other piece missing
    ReadyForRealTime();
    Tick(2000);
    ASSERT_EQ(buffer->Cursor(), c + 18);
    // span 19, 10 played
    EXPECT_EQ(owner.stats[kLossPercent], (19 - 10) * 100 / 19);
}

TEST_F(StreamBufferTest, PublishesItsFiguresEveryTick) {
    const uint32_t c = kHeader + 1;
    for (uint32_t k = 0; k < 5; ++k) Deliver(c + k, k * 1000);
    SetStat(kZeroWord, 77);
    ReadyForRealTime();
    Tick(2500);
    EXPECT_EQ(buffer->Cursor(), c + 4);
    EXPECT_EQ(Stat(kFirstHeld), c);
    EXPECT_EQ(Stat(kLastHeld), c + 4);
    EXPECT_EQ(Stat(kBufferFirst), c);
    EXPECT_EQ(Stat(kBufferLast), c + 4);
    EXPECT_EQ(Stat(kCursor), c + 4);
    EXPECT_EQ(Stat(kTargetPiece), buffer->Target());
    EXPECT_EQ(Stat(kZeroWord), 0u);
    EXPECT_EQ(Stat(kPlayedPieces), 5u);
    EXPECT_EQ(Stat(kReadyMs), 4000u);
    // Less than 70 s between first and cursor: the estimate's window.
    EXPECT_EQ(Stat(kWindowLength), buffer->Target() - c + 1);
    EXPECT_EQ(Stat(kWindowCount), 5u);
    ASSERT_EQ(owner.stats[kLossPercent], 50);  // 5 of the minimum span of 10
    EXPECT_EQ(buffer->ReadyTime(), 2000);

    buffer->Stop();
    for (uint32_t offset : {kBufferFirst, kBufferLast, kCursor, kPlayedPieces, kWindowLength, kWindowCount})
        EXPECT_EQ(Stat(offset), 0u) << offset;
}

TEST_F(StreamBufferTest, WindowFiguresOnceSeventySecondsArePlayed) {
    const uint32_t c = kHeader + 1;
    Deliver(c, 0);
    Deliver(c + 2, 69000);
    Deliver(c + 4, 70000);
    ReadyForRealTime();
    Tick(69500);
    EXPECT_EQ(buffer->Cursor(), c + 2);
    EXPECT_EQ(Stat(kWindowCount), static_cast<uint32_t>(buffer->ReadyCount()));
    EXPECT_EQ(Stat(kWindowLength), buffer->Target() - c + 1);
    Tick(500);
    ASSERT_EQ(buffer->Cursor(), c + 4);
    EXPECT_EQ(Stat(kWindowLength), 5u);
    EXPECT_EQ(Stat(kWindowCount), buffer->PlayedCount());
}

TEST_F(StreamBufferTest, TargetEstimate) {
    const uint32_t c = kHeader + 1;
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> pieces;  // offset, time stamp
        uint32_t target;
    } cases[] = {
        {"all within 70 s", {{0, 0}, {5, 30000}}, 5},
        {"next piece beyond 70 s", {{0, 0}, {7, 70000}, {8, 80000}}, 8},
        {"interpolated", {{0, 0}, {10, 60000}, {30, 100000}}, 15},
        {"a long span does not overflow", {{0, 0}, {200000, 100000}}, 140000},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SetUp();
        for (auto [offset, time_stamp] : k.pieces) Deliver(c + offset, time_stamp);
        Tick(1);
        EXPECT_EQ(buffer->Target(), c + k.target);
        TearDown();
    }
}

TEST_F(StreamBufferTest, HeaderPiecesGoToTheServerAndRemoveOnlyARequest) {
    Deliver(kHeader + 1, 0);
    buffer->AddPieceRequest(kHeader, nullptr);
    buffer->DeliverPiece(Header(kHeader));
    EXPECT_TRUE(buffer->Index().HasNoEntry(kHeader));
    EXPECT_TRUE(server->FindHeader(kHeader));
    EXPECT_EQ(buffer->GetPiece(kHeader), server->FindHeader(kHeader));

    // A header numbered like a stored data piece leaves the data piece alone.
    Deliver(kHeader + 2, 40);
    buffer->DeliverPiece(Header(kHeader + 2));
    ASSERT_TRUE(buffer->GetPiece(kHeader + 2));
    EXPECT_TRUE(buffer->GetPiece(kHeader + 2)->IsData());
}

TEST_F(StreamBufferTest, AMissingHeaderIsFetchedFromTheLiveRequester) {
    auto* live = reinterpret_cast<CPeerTransfer*>(0x2000);
    auto* gone = reinterpret_cast<CPeerTransfer*>(0x3000);
    owner.live = live;
    buffer->AddPieceRequest(kHeader + 1, live);
    buffer->AddPieceRequest(kHeader + 2, gone);
    buffer->AddPieceRequest(kHeader + 4, live);
    Deliver(kHeader + 1, 0);
    Deliver(kHeader + 2, 40);
    Deliver(kHeader + 3, 80);  // never requested
    server->AddHeader(Header(kHeader));
    Deliver(kHeader + 4, 120);  // the header is here now
    ASSERT_EQ(owner.requests.size(), 1u);
    EXPECT_EQ(owner.requests[0].transfer, live);
    EXPECT_EQ(owner.requests[0].piece, kHeader);
    EXPECT_EQ(owner.requests[0].timeout_ms, 5000u);
}

TEST_F(StreamBufferTest, PiecesWantedAndRequests) {
    Deliver(kHeader + 5, 0);
    EXPECT_FALSE(buffer->IsPieceWanted(kHeader + 5));
    EXPECT_FALSE(buffer->IsPieceWanted(kHeader + 4));  // behind the cursor
    EXPECT_TRUE(buffer->IsPieceWanted(kHeader + 6));
    EXPECT_TRUE(buffer->AddPieceRequest(kHeader + 6, nullptr));
    EXPECT_FALSE(buffer->IsPieceWanted(kHeader + 6));
    EXPECT_FALSE(buffer->AddPieceRequest(kHeader + 6, nullptr));
    EXPECT_FALSE(buffer->AddPieceRequest(0, nullptr));
    EXPECT_TRUE(buffer->RemovePieceRequest(kHeader + 6));
    EXPECT_FALSE(buffer->RemovePieceRequest(kHeader + 5));
    EXPECT_EQ(buffer->DataPieceAtOrAfter(kHeader + 5), kHeader + 5);
    EXPECT_EQ(buffer->DataPieceAtOrAfter(kHeader + 1), kHeader + 5);
    EXPECT_EQ(buffer->DataPieceAtOrAfter(kHeader + 6), 0u);
}

TEST_F(StreamBufferTest, ErasingAPlayedPieceLowersThePlayedCount) {
    // A late piece behind the cursor counts as played; evicting it takes it back.
    Deliver(kHeader + 10, 100000);
    Deliver(kHeader + 3, 0);
    EXPECT_EQ(buffer->PlayedCount(), 2u);
    ReadyForRealTime();
    Deliver(kHeader + 11, 100040);
    Tick(1000);  // keep from 31000 on
    EXPECT_EQ(buffer->PlayedCount(), 2u);  // + 11 played, + 3 evicted
    EXPECT_TRUE(buffer->GetPiece(kHeader + 10));
    EXPECT_EQ(buffer->GetPiece(kHeader + 3), nullptr);
}

TEST_F(StreamBufferTest, AvailabilityPacketMapsHeldPiecesUpToButNotIncludingTheLast) {
    const uint32_t lo = kHeader + 1;
    for (uint32_t k = 0; k < 8; ++k) owner.stats[kOwnStatus + k] = static_cast<uint8_t>(k + 1);
    Deliver(lo, 0);
    Deliver(lo + 1, 40);
    buffer->AddPieceRequest(lo + 3, nullptr);
    Deliver(lo + 7, 280);
    Deliver(lo + 9, 360);
    CTransferPacket packet = buffer->BuildAvailabilityPacket();
    ASSERT_EQ(packet.Length(), kAvailabilityMinimum + 2);
    const uint8_t* p = packet.Data();
    EXPECT_EQ(p[2], 'D');
    EXPECT_EQ(std::vector<uint8_t>(p + kAvailabilityStatusOffset, p + kAvailabilityStatusOffset + 8),
              std::vector<uint8_t>(owner.stats.begin() + kOwnStatus, owner.stats.begin() + kOwnStatus + 8));
    EXPECT_EQ(ReadU16(p + kAvailabilityByteCountOffset), 2);
    EXPECT_EQ(ReadU32(p + kAvailabilityFirstPieceOffset), lo);
    EXPECT_EQ(p[kAvailabilityBitsOffset], 0x80 | 0x40 | 0x01);
    EXPECT_EQ(p[kAvailabilityBitsOffset + 1], 0);  // the last piece is not in the map
}

TEST_F(StreamBufferTest, AvailabilityPacketOfOnePieceIsEmptyAndAFarPieceCannotOverflowIt) {
    Deliver(kHeader + 1, 0);
    EXPECT_EQ(buffer->BuildAvailabilityPacket().Length(), kAvailabilityMinimum);
    Deliver(kHeader + 1 + 10000000, 0);
    CTransferPacket packet = buffer->BuildAvailabilityPacket();
    ASSERT_EQ(packet.Length(), kAvailabilityMinimum + 65535);
    EXPECT_EQ(ReadU16(packet.Data() + kAvailabilityByteCountOffset), 65535);
    EXPECT_EQ(packet.Data()[kAvailabilityBitsOffset], 0x80);
}

}  // namespace

#include <gtest/gtest.h>

#include "serving/stream_session_factory.h"
#include "session/relay_results.h"
#include "stream_fixture.h"

namespace {

using namespace stream_fixture;
using namespace stats_block;
using piece_builder::Data;
using piece_builder::Header;

class StreamServerTest : public StreamFixture {};

TEST_F(StreamServerTest, ListensOnTheFirstFreePortFrom8888AndPublishesIt) {
    EXPECT_TRUE(server->IsListening());
    EXPECT_EQ(server->Port(), 8888);
    EXPECT_EQ(Stat16(kStreamPort), 8888);

    fake_engine::Get().bind_results = {{8888, kNetPortInUse}, {8889, kNetRetryable}};
    fake_engine::Get().bound_ports.clear();
    CStreamServer moved(buffer.get());
    EXPECT_TRUE(moved.IsListening());
    EXPECT_EQ(moved.Port(), 8890);
    EXPECT_EQ(Stat16(kStreamPort), 8890);
    EXPECT_EQ(fake_engine::Get().bound_ports, (std::vector<int>{8888, 8889, 8890}));
}

TEST_F(StreamServerTest, AnyOtherBindFailureOrTheLastPortGivesUpWithoutPublishing) {
    struct Case {
        const char* name;
        uint16_t first_port;
        std::map<int, int> results;
        std::vector<int> tried;
    } cases[] = {
        {"other failure", 8888, {{8888, -1}}, {8888}},
        {"every port up to 65535 in use", 65534, {{65534, kNetPortInUse}, {65535, kNetRetryable}}, {65534, 65535}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_engine::Get().bind_results = c.results;
        fake_engine::Get().bound_ports.clear();
        fake_core::Get().log_lines = 0;
        StatsBlockView(owner.stats.data()).Put16(kStreamPort, 0);
        CStreamServer lonely(buffer.get(), c.first_port);
        EXPECT_FALSE(lonely.IsListening());
        EXPECT_EQ(fake_engine::Get().bound_ports, c.tried);
        EXPECT_EQ(Stat16(kStreamPort), 0);
        EXPECT_EQ(fake_core::Get().log_lines, 1);
    }
}

TEST_F(StreamServerTest, StartsOnce) {
    CStreamServer fresh(buffer.get());
    EXPECT_EQ(fresh.Start(1, 5000, 15000), kRelayOk);
    EXPECT_EQ(fresh.Start(1, 5000, 15000), kRelayFail);
    fresh.Stop();
    EXPECT_EQ(fresh.State(), SERVER_STOPPED);
    fresh.Reset();
    EXPECT_EQ(fresh.State(), SERVER_STARTED);
}

TEST_F(StreamServerTest, TheFirstHeaderBecomesCurrentAndADuplicateIsRefused) {
    EXPECT_TRUE(server->AddHeader(Header(kHeader, 259, "first")));
    EXPECT_EQ(server->CurrentHeaderId(), kHeader);
    ASSERT_TRUE(server->HasSession());
    EXPECT_EQ(Session()->State(), SESSION_STARTED);
    EXPECT_EQ(Stat16(kSessionKind), 1);

    EXPECT_FALSE(server->AddHeader(Header(kHeader, 259, "second")));
    StreamHeaderRecord record;
    ASSERT_TRUE(server->FindHeader(kHeader)->HeaderRecord(&record));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data), record.data_length), "first");

    EXPECT_TRUE(server->AddHeader(Header(kHeader + 50, 258, "keyframes", piece_builder::U16(1))));
    EXPECT_EQ(server->CurrentHeaderId(), kHeader);  // no switch while a header is current
    EXPECT_EQ(server->HeaderCount(), 2u);
    EXPECT_FALSE(server->AddHeader(nullptr));
}

TEST_F(StreamServerTest, KeyframeHeadersGetAKeyframeSession) {
    server->AddHeader(Header(kHeader, 263, "kf", piece_builder::U16(1)));
    ASSERT_TRUE(server->HasSession());
    EXPECT_EQ(Session()->Kind(), SESSION_KIND_KEYFRAME);
    EXPECT_EQ(Stat16(kSessionKind), 2);
}

TEST_F(StreamServerTest, AHeaderNoSessionCanServeLeavesTheServerWithoutOneAndRefusesPlayers) {
    EXPECT_EQ(CreateStreamSession(buffer.get(), server.get(), nullptr), nullptr);
    auto not_a_header = Data(kHeader, 0, kHeader);
    EXPECT_EQ(CreateStreamSession(buffer.get(), server.get(), not_a_header.get()), nullptr);

    StatsBlockView(owner.stats.data()).Put16(kSessionKind, 7);
    server->AddHeader(std::move(not_a_header));
    EXPECT_FALSE(server->HasSession());
    EXPECT_EQ(Stat16(kSessionKind), 0);
    const int player = Connect();
    EXPECT_TRUE(Player(player).closed);
    EXPECT_TRUE(Player(player).destroyed);
}

TEST_F(StreamServerTest, PlayersBeforeAnyHeaderAreRefused) {
    const int player = Connect();
    EXPECT_TRUE(Player(player).destroyed);
    AddHeader(259, "HTTP/1.1 200 OK\r\n\r\nTAIL");
    const int accepted = Connect();
    EXPECT_FALSE(Player(accepted).closed);
    EXPECT_EQ(Player(accepted).receives, 1);
    EXPECT_EQ(Session()->WaitingCount(), 1u);
}

TEST_F(StreamServerTest, SwitchingToANewerHeaderTrimsOlderOnesToTwenty) {
    struct Case {
        uint32_t headers;
        size_t kept;
    } cases[] = {{20, 20}, {21, 20}, {25, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        SetUp();
        for (uint32_t k = 0; k < c.headers; ++k) AddHeader(259, "TAIL", "", kHeader + 100 * k);
        const uint32_t newest = kHeader + 100 * (c.headers - 1);
        EXPECT_EQ(server->CurrentHeaderId(), kHeader);
        AddPieces(newest + 1, 3, 40, 0, newest);
        EXPECT_EQ(server->CurrentHeaderId(), newest);
        EXPECT_EQ(Session()->HeaderId(), newest);
        EXPECT_EQ(server->HeaderCount(), c.kept);
        EXPECT_TRUE(server->FindHeader(newest));
        EXPECT_TRUE(server->FindHeader(newest - 100 * (c.kept - 1)));
        TearDown();
    }
}

TEST_F(StreamServerTest, HeadersFromPeersAreCappedKeepingTheCurrentOne) {
    for (uint32_t k = 0; k < 100; ++k) AddHeader(259, "TAIL", "", kHeader + k);
    EXPECT_EQ(server->HeaderCount(), CStreamServer::kMaxHeaders);
    EXPECT_TRUE(server->FindHeader(kHeader));
    EXPECT_TRUE(server->FindHeader(kHeader + 99));
    EXPECT_FALSE(server->FindHeader(kHeader + 1));
    EXPECT_TRUE(server->HasSession());
}

TEST_F(StreamServerTest, TheWindowPieceIsTheLastWithin45SecondsOfTheFirstReported) {
    AddHeader(259, "TAIL");
    for (uint32_t k = 1; k <= 8; ++k) AddPiece(kHeader + k, (k - 1) * 10000, "x");
    server->NewPieces(kHeader + 1, kHeader + 8);
    EXPECT_EQ(server->WindowPiece(), kHeader + 5);  // 40000 ms; the next is 50000
    EXPECT_EQ(Stat(kWindowPiece), kHeader + 5);

    server->NewPieces(kHeader + 1, kHeader + 3);  // never beyond the last reported
    EXPECT_EQ(server->WindowPiece(), kHeader + 5);
    server->NewPieces(0, kHeader + 3);
    EXPECT_EQ(server->WindowPiece(), kHeader + 5);
}

TEST_F(StreamServerTest, StopDropsEverythingAndAJumpRestartsTheServer) {
    AddHeader(259, "TAIL");
    AddPieces(kHeader + 1, 3, 40);
    EXPECT_NE(server->WindowPiece(), 0u);
    buffer->JumpTo(kHeader + 50);
    EXPECT_EQ(server->State(), SERVER_STARTED);
    EXPECT_EQ(server->HeaderCount(), 0u);
    EXPECT_FALSE(server->HasSession());
    EXPECT_EQ(server->CurrentHeaderId(), 0u);
    EXPECT_EQ(server->WindowPiece(), 0u);
    AddHeader(259, "TAIL", "", kHeader + 40);
    EXPECT_TRUE(server->HasSession());
}

}  // namespace

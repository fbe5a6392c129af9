#include <gtest/gtest.h>

#include "serving/keyframe_stream_session.h"
#include "serving/paced_stream_session.h"
#include "serving/stream_socket.h"
#include "session/relay_results.h"
#include "stream_fixture.h"

namespace {

using namespace stream_fixture;
using namespace stats_block;
using piece_builder::U16;

const std::string kReply(kStreamReply, kStreamReplyLength);

std::string Bytes(size_t count, char first) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) bytes += static_cast<char>(first + i % 50);
    return bytes;
}

class StreamSessionTest : public StreamFixture {};

TEST_F(StreamSessionTest, HeaderReplies) {
    const std::string http_head = "HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n\r\n";
    std::string hundred = "HTTP/1.1 200 OK\r\nX: 0123456789abcdef\r\n\r\n";  // 40 bytes of head
    ASSERT_EQ(hundred.size(), 40u);
    hundred += Bytes(60, 'a');
    struct Case {
        const char* name;
        uint16_t type;
        std::string data;
        std::string expected;
    } cases[] = {
        {"head ends at byte 40 of 100", 259, hundred, kReply + hundred.substr(40)},
        {"type 260 is sent unchanged", 260, hundred, hundred},
        {"head ends exactly at the end of the data", 259, http_head, kReply},
        {"no HTTP head", 259, "TAIL", kReply + "TAIL"},
        {"shorter than HTTP", 259, "HT", kReply + "HT"},
        {"HTTP without an end", 259, "HTTP/1.1 200", kReply + "HTTP/1.1 200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        AddHeader(c.type, c.data);
        const int player = ConnectAndRequest();
        EXPECT_EQ(Sent(player), c.expected);
        EXPECT_EQ(Session()->ClientCount(), 1u);
        Request(player);  // later requests find it a client already
        EXPECT_EQ(Sent(player), c.expected);
        TearDown();
    }
}

TEST_F(StreamSessionTest, ARefusedHeaderSendOrReceiveEndsOnlyThatPlayer) {
    AddHeader(259, "TAIL");
    const int refused = Connect();
    Player(refused).refuse_sends = true;
    Request(refused);
    EXPECT_TRUE(Player(refused).destroyed);

    Player(fake_engine::Get().next_socket).refuse_receive = true;
    const int deaf = Connect();
    EXPECT_TRUE(Player(deaf).destroyed);
    EXPECT_EQ(Session()->WaitingCount(), 0u);

    const int good = ConnectAndRequest();
    EXPECT_EQ(Session()->ClientCount(), 1u);
    EXPECT_FALSE(Player(good).closed);
}

TEST_F(StreamSessionTest, AClosedPlayerIsDeleted) {
    AddHeader(259, "TAIL");
    const int waiting = Connect();
    const int client = ConnectAndRequest();
    Closed(waiting);
    Closed(client);
    EXPECT_TRUE(Player(waiting).destroyed);
    EXPECT_TRUE(Player(client).destroyed);
    EXPECT_EQ(Session()->WaitingCount(), 0u);
    EXPECT_EQ(Session()->ClientCount(), 0u);
}

TEST_F(StreamSessionTest, StartsAtThePieceFiveSecondsIntoTheBufferAndPacesAtFifteenSecondsLead) {
    AddHeader(259, "TAIL");
    AddPieces(kHeader + 1, 40, 1000);  // time stamps 0 .. 39000
    const int player = ConnectAndRequest();
    Session()->OnTimer(nullptr);
    // The first piece beyond 5000 ms is + 7 (6000 ms); 15000 ms of lead allow up to 21000 ms.
    EXPECT_EQ(Stream(player, 77), Pieces(kHeader + 7, kHeader + 22));
    EXPECT_EQ(Stat(kLastSentPiece), kHeader + 22);
    const auto* sender = static_cast<CPacedStreamSession*>(Session())->Sender(
        static_cast<CStreamSocket*>(Handler(player)));
    ASSERT_TRUE(sender);
    EXPECT_EQ(sender->start_piece, kHeader + 7);
    EXPECT_EQ(sender->next_piece, kHeader + 23);

    fake_engine::Advance(999);
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), Pieces(kHeader + 7, kHeader + 22));  // + 23 is 15001 ms ahead
    fake_engine::Advance(1);
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), Pieces(kHeader + 7, kHeader + 23));
}

TEST_F(StreamSessionTest, NoPieceGoesToAConnectionWithMoreThan48SendsQueued) {
    AddHeader(259, "TAIL");
    AddPieces(kHeader + 1, 40, 1000);  // 16 pieces due at once
    struct Case {
        int pending;
        size_t pieces;
    } cases[] = {{49, 0}, {48, 1}, {40, 9}};
    std::vector<int> players;
    for (const Case& c : cases) {
        players.push_back(ConnectAndRequest());
        Player(players.back()).pending = c.pending;
    }
    Session()->OnTimer(nullptr);
    for (size_t i = 0; i < players.size(); ++i) {
        SCOPED_TRACE(cases[i].pending);
        EXPECT_EQ(Player(players[i]).send_sizes.size() - 2, cases[i].pieces);  // after reply and header
    }
    // Held back before its first piece, a player still starts at its start piece.
    Player(players[0]).pending = 0;
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(players[0], 77), Pieces(kHeader + 7, kHeader + 22));
}

TEST_F(StreamSessionTest, APieceOfANewerHeaderOrARefusedSendEndsThatPlayerOnly) {
    AddHeader(259, "TAIL");
    AddPieces(kHeader + 1, 3, 6000);  // players start at + 2, 6000 ms in
    const int refusing = ConnectAndRequest();
    const int other = ConnectAndRequest();
    Player(refusing).refuse_after = 3;  // the reply, the header and one piece go through
    Session()->OnTimer(nullptr);
    EXPECT_TRUE(Player(refusing).destroyed);
    EXPECT_FALSE(Player(other).closed);
    EXPECT_EQ(Stream(other, 77), Pieces(kHeader + 2, kHeader + 3));

    AddPiece(kHeader + 4, 13000, "old", kHeader - 10);  // an older header's piece is skipped
    AddPiece(kHeader + 5, 14000, PieceData(kHeader + 5));
    AddPiece(kHeader + 6, 15000, "new", kHeader + 6000);
    buffer->OnTimer(nullptr);
    EXPECT_TRUE(Player(other).destroyed);
    EXPECT_EQ(Stream(other, 77), Pieces(kHeader + 2, kHeader + 3) + PieceData(kHeader + 5));
}

TEST_F(StreamSessionTest, WithoutAStartPointThePlayerWaits) {
    AddHeader(259, "TAIL", "", kHeader + 100);
    AddPieces(kHeader + 1, 3, 100, 0, kHeader + 500);  // a newer header's pieces only
    const int player = ConnectAndRequest();
    EXPECT_EQ(static_cast<CPacedStreamSession*>(Session())->NewPieces(kHeader + 1, kHeader + 3), kRelayOk);
    EXPECT_FALSE(Player(player).closed);
    EXPECT_EQ(Stream(player, 77), "");
}

TEST_F(StreamSessionTest, StartsAtTheFirstPieceOfItsHeaderAfterAnOlderOne) {
    AddHeader(259, "TAIL", "", kHeader + 10);
    AddPieces(kHeader + 1, 9, 1000, 0, kHeader);          // the older header's pieces
    AddPieces(kHeader + 11, 5, 100, 9000, kHeader + 10);  // then this header's
    const int player = ConnectAndRequest();
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), Pieces(kHeader + 11, kHeader + 15));
}

TEST_F(StreamSessionTest, StopFlushesEveryRemainingPieceWithoutPacing) {
    AddHeader(259, "TAIL");
    AddPieces(kHeader + 1, 40, 1000);
    const int player = ConnectAndRequest();
    const int waiting = Connect();
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Session()->Stop(), kRelayOk);
    EXPECT_EQ(Stream(player, 77), Pieces(kHeader + 7, kHeader + 40));
    EXPECT_TRUE(Player(player).destroyed);
    EXPECT_TRUE(Player(waiting).destroyed);
    EXPECT_EQ(Session()->Stop(), kRelayFail);
    EXPECT_EQ(Session()->NewPieces(kHeader + 1, kHeader + 40), kRelayFail);
    EXPECT_EQ(Session()->Start(1, 5000, 15000), kRelayFail);
}

TEST_F(StreamSessionTest, TheSessionTimerRunsEverySecond) {
    AddHeader(259, "TAIL");
    bool found = false;
    for (const auto& timer : fake_engine::LiveTimers())
        found |= timer.ms == 1000 && timer.repeat == 1 && timer.id == MSG_TIMER;
    EXPECT_TRUE(found);
}

// A key-frame stream record: 0x80 0, BE length, BE stream, BE piece, index, flags, data.
std::string Record(uint16_t stream, uint8_t flags, const std::string& data = "....") {
    const uint16_t length = static_cast<uint16_t>(12 + data.size());
    std::string record = {'\x80', 0, static_cast<char>(length >> 8), static_cast<char>(length & 0xFF),
                          static_cast<char>(stream >> 8), static_cast<char>(stream & 0xFF), 0, 0, 0, 0, 0,
                          static_cast<char>(flags)};
    return record + data;
}

TEST(KeyframeRecordWalk, FindsAStartAndNeverReadsPastThePiece) {
    const std::set<uint16_t> streams = {1, 2};
    std::string zero_length = Record(1, 0);
    zero_length[2] = zero_length[3] = 0;
    std::string too_long = Record(1, 0);
    too_long[3] = 100;
    struct Case {
        const char* name;
        std::string data;
        int32_t offset;
    } cases[] = {
        {"key frame of a listed stream", Record(1, 0) + Record(2, 2), 16},
        {"key frame of another stream", Record(3, 2) + Record(1, 0), -1},
        {"start marker", Record(3, 0) + std::string("\x00\x01", 2), 16},
        {"record length 0 ends the walk", zero_length + Record(1, 2), -1},
        {"record longer than the piece", too_long + Record(1, 2), -1},
        {"short tail", Record(3, 0) + std::string(11, '\x80'), -1},
        {"empty", "", -1},
    };
    for (const Case& c : cases) {
        // Exactly sized copies, so an over-read is caught.
        std::vector<uint8_t> bytes(c.data.begin(), c.data.end());
        EXPECT_EQ(FindKeyframeRecord(bytes.data(), static_cast<uint32_t>(bytes.size()), streams), c.offset)
            << c.name;
    }
}

TEST_F(StreamSessionTest, KeyframePlayersStartAtAKeyFrameOfAListedStream) {
    AddHeader(258, "HEAD", U16(2) + U16(5));
    AddPiece(kHeader + 1, 0, Record(2, 2));
    AddPiece(kHeader + 2, 6000, Record(1, 2) + Record(5, 0));  // the start piece; stream 1 is not listed
    AddPiece(kHeader + 3, 12000, Record(2, 0) + Record(5, 2, "key") + Record(2, 0));
    AddPiece(kHeader + 4, 18000, Record(2, 0));
    buffer->OnTimer(nullptr);
    const auto* session = static_cast<CKeyframeStreamSession*>(Session());
    EXPECT_EQ(session->Streams(), (std::set<uint16_t>{2, 5}));
    const int player = ConnectAndRequest();
    EXPECT_EQ(Sent(player), kReply + "HEAD");
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), Record(5, 2, "key") + Record(2, 0) + Record(2, 0));
    EXPECT_EQ(Stat(kLastSentPiece), kHeader + 4);
}

TEST_F(StreamSessionTest, AKeyframeHeaderWithAPrefixShorterThanTwoBytesNeverStartsAPlayer) {
    AddHeader(264, "HEAD", "\x02");
    AddPiece(kHeader + 1, 0, std::string("\x00\x01", 2) + Record(2, 2));
    AddPiece(kHeader + 2, 40, Record(2, 2));
    buffer->OnTimer(nullptr);
    const int player = ConnectAndRequest();
    Session()->OnTimer(nullptr);
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Sent(player), kReply + "HEAD");
    EXPECT_FALSE(Player(player).closed);
}

TEST_F(StreamSessionTest, KeyframePlayersWithoutAKeyFrameYetWait) {
    AddHeader(258, "HEAD", U16(2));
    AddPieces(kHeader + 1, 3, 40);  // no records at all
    const int player = ConnectAndRequest();
    Session()->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), "");
    AddPiece(kHeader + 4, 120, Record(2, 2));
    buffer->OnTimer(nullptr);
    EXPECT_EQ(Stream(player, 77), Record(2, 2));
}

}  // namespace

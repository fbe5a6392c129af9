// Kind-2 connections keep message boundaries: each NetSend is one MSG_NET_DATA, on the wire
// a u32 little-endian length and the payload; the frame size is checked on receipt.
#include <cstring>

#include "net_fixture.h"

namespace {

void ExpectPayload(const FrameworkMessage& m, const std::vector<uint8_t>& want) {
    ASSERT_EQ(m.p2, want.size());
    ASSERT_NE(m.p1, 0u);
    if (!want.empty()) {
        EXPECT_EQ(std::memcmp(BufferOf(m), want.data(), want.size()), 0);
    }
}

}  // namespace

TEST_F(NetTest, EachSendArrivesAsExactlyOneFrameOfItsLength) {
    auto [client, server] = ConnectedPair();
    // 0 is legal; 131072 is the largest frame accepted.
    const uint32_t lengths[] = {1, 60000, 0, 131072, 5};
    for (uint32_t n : lengths) ASSERT_EQ(NetSend(client, Pattern(n, n).data(), n), 1) << n;
    for (uint32_t n : lengths) {
        SCOPED_TRACE(n);
        ASSERT_EQ(NetStartReceive(server), 1);
        FrameworkMessage m = Expect(MSG_NET_DATA, server);
        ExpectPayload(m, Pattern(n, n));
        EXPECT_EQ(NetFreeBuffer(BufferOf(m)), 1);
    }
}

TEST_F(NetTest, FramesOnTheWireAreLengthThenPayloadInBothDirections) {
    int listener = Listen(kNetKindTcp);
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(LocalPort(listener)));
    FrameworkMessage accept = Expect(MSG_NET_ACCEPT, listener);
    int server = Track(static_cast<int>(accept.p1));
    NetSetHandler(server, Sink());

    // Two frames in one write, the second split from its header by the peer's own framing.
    std::vector<uint8_t> bytes = WireFrame(Pattern(300, 1));
    std::vector<uint8_t> second = WireFrame(Pattern(70000, 2));
    bytes.insert(bytes.end(), second.begin(), second.end());
    peer.Write(bytes);
    for (uint32_t seed : {1u, 2u}) {
        ASSERT_EQ(NetStartReceive(server), 1);
        FrameworkMessage m = Expect(MSG_NET_DATA, server);
        ExpectPayload(m, Pattern(seed == 1 ? 300 : 70000, seed));
        NetFreeBuffer(BufferOf(m));
    }

    std::vector<uint8_t> reply = Pattern(1000, 3);
    ASSERT_EQ(NetSend(server, reply.data(), 1000), 1);
    EXPECT_EQ(peer.ReadExactly(1004), WireFrame(reply));
}

struct PeerEnding {
    const char* name;
    std::vector<uint8_t> bytes;  // written by the peer before it closes
    uint32_t frames_before;      // whole frames delivered before the close
    uint32_t close_code;
};

class FrameEndingTest : public NetTest, public ::testing::WithParamInterface<int> {};

TEST_P(FrameEndingTest, ConnectionEndsWithTheRightCloseCode) {
    auto header = [](uint32_t n) {
        return std::vector<uint8_t>{static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                    static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
    };
    std::vector<uint8_t> whole = WireFrame(Pattern(10, 7));
    std::vector<uint8_t> cut = whole;
    cut.resize(8);  // header and 4 of 10 payload bytes
    std::vector<uint8_t> oversize = whole;
    std::vector<uint8_t> big = header(131073);
    oversize.insert(oversize.end(), big.begin(), big.end());
    const PeerEnding cases[] = {
        {"orderly close after a frame", whole, 1, 0},
        {"close inside a frame", cut, 0, 10054},
        {"frame above the maximum", oversize, 1, 10040},
    };
    const PeerEnding& c = cases[GetParam()];
    SCOPED_TRACE(c.name);

    int listener = Listen(kNetKindTcp);
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(LocalPort(listener)));
    int server = Track(static_cast<int>(Expect(MSG_NET_ACCEPT, listener).p1));
    NetSetHandler(server, Sink());
    peer.Write(c.bytes);
    std::error_code ec;
    peer.socket.shutdown(asio::ip::tcp::socket::shutdown_send, ec);

    for (uint32_t i = 0; i < c.frames_before; ++i) {
        ASSERT_EQ(NetStartReceive(server), 1);
        FrameworkMessage m = Expect(MSG_NET_DATA, server);
        EXPECT_EQ(m.p2, 10u);
        NetFreeBuffer(BufferOf(m));
    }
    ASSERT_EQ(NetStartReceive(server), 1);
    EXPECT_EQ(Expect(MSG_NET_CLOSED, server).p1, c.close_code);
    EXPECT_EQ(NetStartReceive(server), 0) << "nothing more to arm after the close";
    if (c.close_code == 10040) {
        EXPECT_EQ(NetSend(server, "x", 1), 0) << "the connection is closed on our side too";
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, FrameEndingTest, ::testing::Range(0, 3));

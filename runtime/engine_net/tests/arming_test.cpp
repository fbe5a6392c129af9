// One-shot arming: each NetStartReceive delivers exactly one frame or the close.
#include "net_fixture.h"

TEST_F(NetTest, OneArmDeliversOneFrameAndTheCloseWaitsForTheNextArm) {
    auto [client, server] = ConnectedPair();
    ASSERT_EQ(NetSend(client, "first", 5), 1);
    ASSERT_EQ(NetSend(client, "second", 6), 1);

    ASSERT_EQ(NetStartReceive(server), 1);
    FrameworkMessage m = Expect(MSG_NET_DATA, server);
    EXPECT_EQ(m.p2, 5u);
    NetFreeBuffer(BufferOf(m));
    EXPECT_TRUE(QuietFor(400)) << "the second frame waits for its own arm";

    ASSERT_EQ(NetStartReceive(server), 1);
    m = Expect(MSG_NET_DATA, server);
    EXPECT_EQ(m.p2, 6u);
    NetFreeBuffer(BufferOf(m));

    ASSERT_EQ(NetClose(client), 1);
    EXPECT_TRUE(QuietFor(400)) << "a close with nothing armed is held";
    ASSERT_EQ(NetStartReceive(server), 1);
    EXPECT_EQ(Expect(MSG_NET_CLOSED, server).p1, 0u);
    EXPECT_EQ(NetStartReceive(server), 0);
    EXPECT_TRUE(QuietFor(200));
}

TEST_F(NetTest, ArmsAreCountedAndCompleteInOrder) {
    auto [client, server] = ConnectedPair();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(NetStartReceive(server), 1);
    for (uint32_t n = 1; n <= 4; ++n) ASSERT_EQ(NetSend(client, Pattern(n, n).data(), n), 1);
    for (uint32_t n = 1; n <= 3; ++n) {
        FrameworkMessage m = Expect(MSG_NET_DATA, server);
        EXPECT_EQ(m.p2, n);
        NetFreeBuffer(BufferOf(m));
    }
    EXPECT_TRUE(QuietFor(300)) << "three arms, three deliveries";
}

TEST_F(NetTest, EventsOfAnUnregisteredHandlerAreDropped) {
    auto [client, server] = ConnectedPair();
    auto* gone = new EventSink;
    uint32_t gone_target = gone->AsTarget();
    ASSERT_EQ(NetSetHandler(server, gone), 1);
    ASSERT_EQ(NetStartReceive(server), 1);
    ASSERT_EQ(NetSend(client, "a", 1), 1);
    delete gone;  // its queued events are purged and the socket loses its handler

    ASSERT_EQ(NetStartReceive(server), 1);
    ASSERT_EQ(NetSend(client, "b", 1), 1);
    FrameworkMessage m;
    while (Next(&m, 500)) EXPECT_NE(m.target, gone_target) << "event " << m.id << " reached a dead handler";

    // A new handler gets the later frames again.
    ASSERT_EQ(NetSetHandler(server, Sink()), 1);
    ASSERT_EQ(NetSend(client, "c", 1), 1);
    ASSERT_EQ(NetStartReceive(server), 1);
    m = Expect(MSG_NET_DATA, server);
    ASSERT_EQ(m.p2, 1u);
    EXPECT_EQ(BufferOf(m)[0], 'c');
    NetFreeBuffer(BufferOf(m));
}

// Frames read ahead pause reading. When the peer resets the connection meanwhile, the failed
// send closes the descriptor with no read under way; the end must still follow the frames
// already read, or the owner keeps a connection that is gone.
TEST_F(NetTest, AConnectionResetWhileReadingIsPausedStillReportsItsEnd) {
    int listener = Listen(kNetKindTcp);
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(LocalPort(listener), "127.0.0.1", 4096));
    const int server = Track(static_cast<int>(Expect(MSG_NET_ACCEPT, listener).p1));
    NetSetHandler(server, Sink());

    constexpr int kFrames = 100;  // far more than the read-ahead holds
    std::vector<uint8_t> bytes;
    for (int i = 0; i < kFrames; ++i) {
        std::vector<uint8_t> frame = WireFrame(Pattern(20000, i));
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    peer.Write(bytes);
    // Replies the peer never reads: the library's send stays under way.
    for (int i = 0; i < 60; ++i) ASSERT_EQ(NetSend(server, Pattern(60000, i).data(), 60000), 1);
    EXPECT_TRUE(QuietFor(300));
    peer.socket.set_option(asio::socket_base::linger(true, 0));
    peer.socket.close();

    int frames = 0;
    FrameworkMessage m{};
    for (;;) {
        ASSERT_EQ(NetStartReceive(server), 1) << "after " << frames << " frames";
        ASSERT_TRUE(Next(&m, 15000)) << "no end after " << frames << " frames";
        if (m.id != MSG_NET_DATA) break;
        NetFreeBuffer(BufferOf(m));
        ++frames;
    }
    EXPECT_EQ(m.id, static_cast<uint32_t>(MSG_NET_CLOSED));
    EXPECT_NE(m.p1, 0u) << "a reset is not a graceful end";
    EXPECT_LT(frames, kFrames);
    EXPECT_EQ(NetStartReceive(server), 0);
}

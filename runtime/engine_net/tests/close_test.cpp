// NetClose is graceful: queued sends still reach the peer, no event follows, and the id is
// never handed out again.
#include <cstring>

#include "net_fixture.h"
#include "platform.h"

TEST_F(NetTest, CloseAndDestroyRightAfterSendingStillDeliverEverything) {
    RawListener remote;
    int client = Track(NetCreateSocket(kNetKindTcp));
    NetSetHandler(client, Sink());
    NetSockAddr to = LoopbackAddress(remote.port);
    ASSERT_EQ(NetConnect(client, &to), 1);
    Expect(MSG_NET_CONNECTED, client);

    // More than the kernel takes at once (the far side reads nothing before the close), so
    // most of it is still queued in the library when NetClose comes.
    constexpr int kFrames = 400;
    constexpr uint32_t kLength = 20000;
    for (int i = 0; i < kFrames; ++i) ASSERT_EQ(NetSend(client, Pattern(kLength, i).data(), kLength), 1);
    ASSERT_EQ(NetSend(client, "@", 1), 1);
    ASSERT_EQ(NetClose(client), 1);
    ASSERT_EQ(NetDestroySocket(client), 1);
    EXPECT_EQ(NetSend(client, "x", 1), 0) << "the id is gone";

    RawPeer peer;
    remote.Accept(&peer);
    std::vector<uint8_t> all = peer.ReadToEnd();
    ASSERT_EQ(all.size(), kFrames * (4 + size_t{kLength}) + 5);
    size_t at = 0;
    for (int i = 0; i < kFrames; ++i, at += 4 + kLength) {
        ASSERT_EQ(all[at] | (all[at + 1] << 8) | (all[at + 2] << 16), static_cast<int>(kLength)) << i;
        ASSERT_EQ(std::memcmp(all.data() + at + 4, Pattern(kLength, i).data(), kLength), 0) << i;
    }
    EXPECT_EQ(std::vector<uint8_t>(all.begin() + static_cast<long>(at), all.end()), WireFrame({'@'}));
    EXPECT_TRUE(QuietFor(200)) << "no event after NetClose";
}

TEST_F(NetTest, UndeliveredEventsAreTakenBackAtClose) {
    auto [client, server] = ConnectedPair();
    ASSERT_EQ(NetStartReceive(server), 1);
    ASSERT_EQ(NetSend(client, "late", 4), 1);
    platform::SleepMs(300);  // the frame is most likely queued for the sink by now
    ASSERT_EQ(NetClose(server), 1);
    EXPECT_TRUE(QuietFor(300)) << "a closed socket's queued events never reach its handler";
    EXPECT_EQ(NetStartReceive(server), 0);
    EXPECT_EQ(NetSend(server, "x", 1), 0);
}

TEST_F(NetTest, IdsAreNeverReused) {
    int first = NetCreateSocket(kNetKindTcp);
    ASSERT_GT(first, 0);
    ASSERT_EQ(NetDestroySocket(first), 1);
    EXPECT_EQ(NetDestroySocket(first), 0);
    int second = Track(NetCreateSocket(kNetKindTcp));
    EXPECT_GT(second, first);
    // Unknown and negative ids are ignored.
    for (int id : {first, -1, 0, 1 << 30}) {
        EXPECT_EQ(NetSend(id, "x", 1), 0);
        EXPECT_EQ(NetStartReceive(id), 0);
        EXPECT_EQ(NetClose(id), 0);
        EXPECT_EQ(NetSetHandler(id, Sink()), 0);
        EXPECT_EQ(NetPendingSendCount(id), 0);
    }
}

TEST_F(NetTest, BuffersOutliveTheirSocketAndForeignPointersAreRefused) {
    auto [client, server] = ConnectedPair();
    ASSERT_EQ(NetSend(client, "kept", 4), 1);
    ASSERT_EQ(NetStartReceive(server), 1);
    FrameworkMessage m = Expect(MSG_NET_DATA, server);
    ASSERT_EQ(NetDestroySocket(server), 1);
    EXPECT_EQ(std::memcmp(BufferOf(m), "kept", 4), 0);
    EXPECT_EQ(NetFreeBuffer(BufferOf(m)), 1);
    uint8_t foreign[64] = {};
    EXPECT_EQ(NetFreeBuffer(foreign + 16), 0);
}

TEST_F(NetTest, LastCleanupClosesEverythingAndStartupRevives) {
    auto [client, server] = ConnectedPair();
    int listener = Listen(kNetKindTcp);
    uint16_t port = LocalPort(listener);
    // The binding made one startup; an extra pair leaves the count where it was.
    ASSERT_EQ(NetStartup(), 1);
    ASSERT_EQ(NetCleanup(), 1);
    EXPECT_EQ(NetSend(client, "x", 1), 1) << "still up";

    ASSERT_EQ(NetCleanup(), 1);
    EXPECT_EQ(NetSend(client, "x", 1), 0) << "the last cleanup closed every socket";
    EXPECT_EQ(NetConnectionCount(), 0);
    RawPeer peer;
    EXPECT_FALSE(peer.Connect(port)) << "the listener is gone";

    ASSERT_EQ(NetStartup(), 1);
    auto [c2, s2] = ConnectedPair();
    ASSERT_EQ(NetSend(c2, "again", 5), 1);
    ASSERT_EQ(NetStartReceive(s2), 1);
    FrameworkMessage m = Expect(MSG_NET_DATA, s2);
    EXPECT_EQ(m.p2, 5u);
    NetFreeBuffer(BufferOf(m));
    EXPECT_GT(c2, server) << "ids go on after a restart";
}

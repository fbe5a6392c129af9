// Outgoing connects: non-blocking, always ending in MSG_NET_CONNECTED or
// MSG_NET_CONNECT_FAILED; connection counting and addresses.
#include <cstring>

#include "net_fixture.h"

TEST_F(NetTest, ConnectToAClosedPortFailsWithRefused) {
    int probe = NetCreateBoundSocket(kNetKindTcp, 0);
    ASSERT_GT(probe, 0);
    uint16_t port = LocalPort(probe);
    NetDestroySocket(probe);

    int client = Track(NetCreateSocket(kNetKindTcp));
    NetSetHandler(client, Sink());
    NetSetSocketValue(client, 5);
    NetSockAddr to = LoopbackAddress(port);
    ASSERT_EQ(NetConnect(client, &to), 1);
    EXPECT_EQ(Expect(MSG_NET_CONNECT_FAILED, client).p1, 10061u);
    EXPECT_EQ(NetSend(client, "x", 1), 0);
    EXPECT_EQ(NetConnectionCount(), 0);
}

TEST_F(NetTest, ConnectedPairCountsAndKnowsItsAddresses) {
    int before = NetConnectionCount();
    auto [client, server] = ConnectedPair();
    EXPECT_EQ(NetConnectionCount(), before + 2) << "outgoing and accepted connections count";

    NetSockAddr client_local{}, server_peer{}, client_peer{}, server_local{};
    ASSERT_EQ(NetGetLocalAddress(client, &client_local), 0);
    ASSERT_EQ(NetGetPeerAddress(server, &server_peer), 0);
    ASSERT_EQ(NetGetPeerAddress(client, &client_peer), 0);
    ASSERT_EQ(NetGetLocalAddress(server, &server_local), 0);
    EXPECT_EQ(std::memcmp(&client_local, &server_peer, sizeof(NetSockAddr)), 0);
    EXPECT_EQ(std::memcmp(&client_peer, &server_local, sizeof(NetSockAddr)), 0);
    EXPECT_EQ(HostAddressOf(client_peer), 0x7F000001u);

    ASSERT_EQ(NetClose(client), 1);
    EXPECT_EQ(NetConnectionCount(), before + 1);
    EXPECT_EQ(NetConnect(client, &client_peer), 0) << "a closed socket cannot connect";
}

TEST_F(NetTest, AddressQueriesZeroFillOnFailure) {
    int unconnected = Track(NetCreateSocket(kNetKindTcp));
    for (int id : {unconnected, -5, 1 << 29}) {
        NetSockAddr a;
        std::memset(&a, 0xAB, sizeof(a));
        EXPECT_EQ(NetGetPeerAddress(id, &a), -1);
        NetSockAddr zero{};
        EXPECT_EQ(std::memcmp(&a, &zero, sizeof(a)), 0);
        std::memset(&a, 0xAB, sizeof(a));
        EXPECT_EQ(NetGetLocalAddress(id, &a), -1);
        EXPECT_EQ(std::memcmp(&a, &zero, sizeof(a)), 0);
    }
}

TEST_F(NetTest, NonLoopbackDestinationsAreRefused) {
    int client = Track(NetCreateSocket(kNetKindTcp));
    NetSetHandler(client, Sink());
    NetSockAddr to = LoopbackAddress(80);
    uint8_t ip[4] = {192, 0, 2, 2};
    std::memcpy(&to.addr_be, ip, 4);
    EXPECT_EQ(NetConnect(client, &to), 0);
    EXPECT_TRUE(QuietFor(200)) << "a connect that did not start has no outcome event";
    // The same socket can still connect to loopback afterwards.
    int listener = Listen(kNetKindTcp);
    NetSockAddr local = LoopbackAddress(LocalPort(listener));
    ASSERT_EQ(NetConnect(client, &local), 1);
    FrameworkMessage m{};
    bool connected = false;
    for (int i = 0; i < 2 && Next(&m); ++i) {
        if (m.id == MSG_NET_ACCEPT) Track(static_cast<int>(m.p1));
        if (m.id == MSG_NET_CONNECTED) connected = m.sender == static_cast<uint32_t>(client);
    }
    EXPECT_TRUE(connected);
}

TEST_F(NetTest, EveryConnectEndsEvenWhenThePeerNeverAnswers) {
    // A listener with a backlog of 0 that never accepts: once its queue is full the kernel
    // drops further SYNs, so those connects can only end by the time-out.
    asio::io_context io;
    asio::ip::tcp::acceptor full(io);
    asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), 0);
    full.open(endpoint.protocol());
    full.bind(endpoint);
    full.listen(0);
    NetSockAddr to = LoopbackAddress(full.local_endpoint().port());

    constexpr int kConnects = 4;
    std::vector<int> clients;
    for (int i = 0; i < kConnects; ++i) {
        int c = Track(NetCreateSocket(kNetKindTcp));
        NetSetHandler(c, Sink());
        ASSERT_EQ(NetSetSocketValue(c, 1), 1);
        ASSERT_EQ(NetConnect(c, &to), 1);
        clients.push_back(c);
    }
    int outcomes = 0, timeouts = 0;
    FrameworkMessage m{};
    while (outcomes < kConnects && Next(&m, 15000)) {
        ASSERT_TRUE(m.id == MSG_NET_CONNECTED || m.id == MSG_NET_CONNECT_FAILED) << m.id;
        ++outcomes;
        if (m.id == MSG_NET_CONNECT_FAILED) {
            EXPECT_EQ(m.p1, 10060u);
            ++timeouts;
        }
    }
    EXPECT_EQ(outcomes, kConnects) << "each connect has exactly one outcome";
    EXPECT_GT(timeouts, 0);
    EXPECT_TRUE(QuietFor(300));
}

TEST_F(NetTest, ConnectionAcceptedWithoutListenerHandlerIsClosed) {
    int listener = Track(NetCreateBoundSocket(kNetKindTcp, 0));
    ASSERT_GT(listener, 0);
    int before = NetConnectionCount();
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(LocalPort(listener)));
    EXPECT_TRUE(peer.ReadToEnd().empty()) << "the dropped MSG_NET_ACCEPT took its connection along";
    EXPECT_EQ(NetConnectionCount(), before);
    EXPECT_TRUE(QuietFor(200));
}

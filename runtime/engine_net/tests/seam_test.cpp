// The environment seams seen from outside: emulated delay, loss and rate, the trace file,
// KUZ_BIND_ADDR and KUZ_MAX_FRAME.
#include <cstring>
#include <fstream>
#include <sstream>

#include "net_fixture.h"
#include "seam_environment.h"

namespace {

NetSockAddr At(uint8_t last, uint16_t port) {
    NetSockAddr a = LoopbackAddress(port);
    uint8_t ip[4] = {127, 0, 0, last};
    std::memcpy(&a.addr_be, ip, 4);
    return a;
}

std::string FileText(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class SeamTest : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        const char* netem = std::getenv("KUZ_NETEM");
        if (!netem || std::strcmp(netem, kTestNetem) != 0) GTEST_SKIP() << "needs the program's own KUZ_NETEM";
    }

    // A client connected to a kind-2 listener through the address 127.0.0.<last>.
    std::pair<int, int> PairThrough(uint8_t last) {
        int listener = Listen(kNetKindTcp);
        int client = Track(NetCreateSocket(kNetKindTcp));
        NetSetHandler(client, Sink());
        NetSockAddr to = At(last, LocalPort(listener));
        EXPECT_EQ(NetConnect(client, &to), 1);
        int accepted = 0;
        bool connected = false;
        FrameworkMessage m{};
        for (int i = 0; i < 2 && Next(&m); ++i) {
            if (m.id == MSG_NET_ACCEPT) accepted = Track(static_cast<int>(m.p1));
            if (m.id == MSG_NET_CONNECTED) connected = true;
        }
        EXPECT_TRUE(connected);
        NetSetHandler(accepted, Sink());
        return {client, accepted};
    }

    void ExpectFramesInOrder(int server, int count, uint32_t length) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(NetStartReceive(server), 1);
            FrameworkMessage m = Expect(MSG_NET_DATA, server);
            ASSERT_EQ(m.p2, length);
            EXPECT_EQ(std::memcmp(BufferOf(m), Pattern(length, i).data(), length), 0) << "frame " << i;
            NetFreeBuffer(BufferOf(m));
        }
    }
};

TEST_F(SeamTest, JitterNeverReordersTheFramesOfAConnection) {
    auto [client, server] = PairThrough(9);
    for (int i = 0; i < 30; ++i) ASSERT_EQ(NetSend(client, Pattern(100, i).data(), 100), 1);
    ExpectFramesInOrder(server, 30, 100);
}

TEST_F(SeamTest, ThrottledSendsCountAsPendingUntilWritten) {
    auto [client, server] = PairThrough(11);
    // 40 KB at 20000 bytes/s with a 16 KiB burst: most of it waits in the library.
    for (int i = 0; i < 40; ++i) ASSERT_EQ(NetSend(client, Pattern(1000, i).data(), 1000), 1);
    EXPECT_GT(NetPendingSendCount(client), 10);
    ExpectFramesInOrder(server, 40, 1000);
    EXPECT_TRUE(WaitUntil([&] { return NetPendingSendCount(client) == 0; }));
}

TEST_F(SeamTest, LostDatagramsStillReportSent) {
    int a = Listen(kNetKindUdp);
    int b = Listen(kNetKindUdp);
    NetSockAddr lossy = At(10, LocalPort(a));
    NetSockAddr plain = At(1, LocalPort(a));
    ASSERT_EQ(NetPostReceiveFrom(a, 64), 1);
    ASSERT_EQ(NetSendTo(b, "lost", 4, &lossy), 1);
    ASSERT_EQ(NetSendTo(b, "kept", 4, &plain), 1);
    FrameworkMessage m = Expect(MSG_NET_DATAGRAM, a);
    ASSERT_EQ(m.p2, 4u);
    EXPECT_EQ(std::memcmp(BufferOf(m), "kept", 4), 0);
    NetFreeBuffer(BufferOf(m));
}

TEST_F(SeamTest, TraceHasOneLinePerSocketEvent) {
    auto [client, server] = PairThrough(1);
    ASSERT_EQ(NetSend(client, "t", 1), 1);
    ASSERT_EQ(NetStartReceive(server), 1);
    NetFreeBuffer(BufferOf(Expect(MSG_NET_DATA, server)));
    std::string text = FileText(TracePath());
    std::string want = " s=" + std::to_string(server) + " post 1005 ";
    EXPECT_NE(text.find(want), std::string::npos) << want;
    EXPECT_NE(text.find(" s=" + std::to_string(client) + " post 1003"), std::string::npos);
}

TEST_F(SeamTest, EngineLogNamesRefusedDestinationsAndTrappedSlots) {
    int client = Track(NetCreateSocket(kNetKindTcp));
    NetSockAddr outside = LoopbackAddress(80);
    uint8_t ip[4] = {198, 51, 100, 7};
    std::memcpy(&outside.addr_be, ip, 4);
    ASSERT_EQ(NetConnect(client, &outside), 0);
    ASSERT_EQ(NetEntry<int(ENGINE_CALL*)()>(6)(), 0);
    std::string text = FileText(EngineLogPath());
    EXPECT_NE(text.find(" refused non-loopback\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" unexpected NetTable entry 6\n"), std::string::npos) << text;
}

TEST_F(NetTest, BindAddressAppliesToListenersDatagramsAndOutgoingConnects) {
    EnvForTest("KUZ_BIND_ADDR", "127.0.0.5");
    int listener = Listen(kNetKindTcp);
    int udp = Listen(kNetKindUdp);
    NetSockAddr a{};
    for (int s : {listener, udp}) {
        ASSERT_EQ(NetGetLocalAddress(s, &a), 0);
        EXPECT_EQ(HostAddressOf(a), 0x7F000005u) << s;
    }
    int client = Track(NetCreateSocket(kNetKindTcp));
    NetSetHandler(client, Sink());
    NetSockAddr to = At(5, LocalPort(listener));
    ASSERT_EQ(NetConnect(client, &to), 1);
    FrameworkMessage m{};
    for (int i = 0; i < 2 && Next(&m); ++i)
        if (m.id == MSG_NET_ACCEPT) Track(static_cast<int>(m.p1));
    ASSERT_EQ(NetGetLocalAddress(client, &a), 0);
    EXPECT_EQ(HostAddressOf(a), 0x7F000005u) << "outgoing connects start from the bind address";
}

TEST_F(NetTest, MaxFrameComesFromTheEnvironment) {
    EnvForTest("KUZ_MAX_FRAME", "100");
    int listener = Listen(kNetKindTcp);
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(LocalPort(listener)));
    int server = Track(static_cast<int>(Expect(MSG_NET_ACCEPT, listener).p1));
    NetSetHandler(server, Sink());
    std::vector<uint8_t> bytes = WireFrame(Pattern(100, 1));
    std::vector<uint8_t> over = WireFrame(Pattern(101, 2));
    bytes.insert(bytes.end(), over.begin(), over.end());
    peer.Write(bytes);
    ASSERT_EQ(NetStartReceive(server), 1);
    FrameworkMessage m = Expect(MSG_NET_DATA, server);
    EXPECT_EQ(m.p2, 100u);
    NetFreeBuffer(BufferOf(m));
    ASSERT_EQ(NetStartReceive(server), 1);
    EXPECT_EQ(Expect(MSG_NET_CLOSED, server).p1, 10040u);
}

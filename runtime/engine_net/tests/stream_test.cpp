// Kind-4 stream listeners: bound to 127.0.0.1, raw bytes in 4096-byte chunks, reading held
// back by unfreed buffers, and sends that queue when the player does not read.
#include <cstring>

#include "net_fixture.h"
#include "platform.h"

#if !defined(_WIN32)
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#endif

namespace {

// The machine's own IPv4 addresses outside 127/8, host order.
std::vector<uint32_t> OtherLocalAddresses() {
    std::vector<uint32_t> out;
#if defined(_WIN32)
    uint32_t addresses[16];
    int n = platform::LocalIPv4Addresses(addresses, 16);
    out.assign(addresses, addresses + (n > 0 ? n : 0));
#else
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next)
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET)
            out.push_back(ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr));
    freeifaddrs(list);
#endif
    std::vector<uint32_t> others;
    for (uint32_t a : out)
        if ((a >> 24) != 127 && a != 0) others.push_back(a);
    return others;
}

struct StreamSession {
    RawPeer player;
    int listener = 0;
    int server = 0;
};

}  // namespace

class StreamTest : public NetTest {
protected:
    void OpenSession(StreamSession* s) {
        s->listener = Listen(kNetKindStream);
        ASSERT_TRUE(s->player.Connect(LocalPort(s->listener), "127.0.0.1", 4096));
        s->server = Track(static_cast<int>(Expect(MSG_NET_ACCEPT, s->listener).p1));
        ASSERT_GT(s->server, 0);
        NetSetHandler(s->server, Sink());
    }
};

TEST_F(StreamTest, ListenerIsBoundToLoopbackOnly) {
    int listener = Listen(kNetKindStream);
    NetSockAddr local{};
    ASSERT_EQ(NetGetLocalAddress(listener, &local), 0);
    EXPECT_EQ(HostAddressOf(local), 0x7F000001u);
    for (uint32_t a : OtherLocalAddresses()) {
        std::string text = asio::ip::address_v4(a).to_string();
        RawPeer outsider;
        EXPECT_FALSE(outsider.Connect(LocalPort(listener), text.c_str())) << text;
    }
}

TEST_F(StreamTest, BytesArriveInChunksThenOneClosed) {
    StreamSession s;
    OpenSession(&s);
    ASSERT_EQ(NetStreamStartReceive(s.server), 1);
    std::vector<uint8_t> sent = Pattern(10000, 4);
    s.player.Write(sent);
    s.player.socket.close();

    std::vector<uint8_t> got;
    for (;;) {
        FrameworkMessage m{};
        ASSERT_TRUE(Next(&m));
        ASSERT_EQ(m.sender, static_cast<uint32_t>(s.server));
        if (m.id == MSG_STREAM_CLOSED) {
            EXPECT_EQ(m.p1, 0u);
            break;
        }
        ASSERT_EQ(m.id, MSG_STREAM_DATA);
        ASSERT_LE(m.p2, 4096u);
        got.insert(got.end(), BufferOf(m), BufferOf(m) + m.p2);
        NetFreeBuffer(BufferOf(m));
    }
    EXPECT_TRUE(got == sent);
    EXPECT_TRUE(QuietFor(200)) << "one MSG_STREAM_CLOSED, then nothing";
    EXPECT_EQ(NetStreamStartReceive(s.server), 0);
    EXPECT_EQ(NetConnectionCount(), 0) << "streams and listeners are no connections";
}

TEST_F(StreamTest, ReadingPausesWhileEightBuffersAreUnfreed) {
    StreamSession s;
    OpenSession(&s);
    std::vector<uint8_t> sent = Pattern(200000, 5);
    s.player.Write(sent);
    ASSERT_EQ(NetStreamStartReceive(s.server), 1);

    std::vector<FrameworkMessage> held;
    FrameworkMessage m{};
    while (held.size() < 8) {
        ASSERT_TRUE(Next(&m));
        ASSERT_EQ(m.id, MSG_STREAM_DATA);
        held.push_back(m);
    }
    EXPECT_TRUE(QuietFor(400)) << "eight unfreed buffers stop the reading";

    std::vector<uint8_t> got;
    auto take = [&](const FrameworkMessage& x) {
        got.insert(got.end(), BufferOf(x), BufferOf(x) + x.p2);
        EXPECT_EQ(NetFreeBuffer(BufferOf(x)), 1);
    };
    for (const FrameworkMessage& x : held) take(x);
    while (got.size() < sent.size()) {
        ASSERT_TRUE(Next(&m)) << got.size();
        ASSERT_EQ(m.id, MSG_STREAM_DATA);
        take(m);
    }
    EXPECT_TRUE(got == sent);
}

TEST_F(StreamTest, PendingSendCountRisesWhileThePlayerDoesNotRead) {
    StreamSession s;
    OpenSession(&s);
    constexpr int kSends = 1000;  // 4 MB: far more than the kernel buffers of both ends
    constexpr uint32_t kChunk = 4096;
    for (int i = 0; i < kSends; ++i) ASSERT_EQ(NetStreamSend(s.server, Pattern(kChunk, i).data(), kChunk), 1);
    EXPECT_TRUE(WaitUntil([&] { return NetPendingSendCount(s.server) > 48; }))
        << "pending: " << NetPendingSendCount(s.server);

    std::vector<uint8_t> got = s.player.ReadExactly(size_t{kSends} * kChunk);
    ASSERT_EQ(got.size(), size_t{kSends} * kChunk);
    EXPECT_EQ(std::memcmp(got.data() + 4096 * 17, Pattern(kChunk, 17).data(), kChunk), 0);
    EXPECT_TRUE(WaitUntil([&] { return NetPendingSendCount(s.server) == 0; }));
}

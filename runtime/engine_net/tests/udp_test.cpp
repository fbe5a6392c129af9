// UDP: one datagram per armed receive, the sender's address inside the same buffer.
#include <cstring>

#include "net_fixture.h"

namespace {

constexpr uint32_t kMax = 0x8000;

}  // namespace

TEST_F(NetTest, DatagramCarriesDataAndSenderAddressInOneBuffer) {
    int a = Listen(kNetKindUdp);
    int b = Listen(kNetKindUdp);
    NetSockAddr to_a = LoopbackAddress(LocalPort(a));
    ASSERT_EQ(NetPostReceiveFrom(a, kMax), 1);
    ASSERT_EQ(NetSendTo(b, "hello", 5, &to_a), 1);

    FrameworkMessage m = Expect(MSG_NET_DATAGRAM, a);
    ASSERT_EQ(m.p2, 5u);
    EXPECT_EQ(std::memcmp(BufferOf(m), "hello", 5), 0);
    EXPECT_EQ(m.p3, m.p1 + kMax) << "layout: data of max bytes, then the address";
    EXPECT_EQ(m.p4, 0u);
    NetSockAddr from;
    std::memcpy(&from, FromWord<const void>(m.p3), sizeof(from));
    EXPECT_EQ(from.family, 2);
    EXPECT_EQ(PortOf(from), LocalPort(b));
    EXPECT_EQ(HostAddressOf(from), 0x7F000001u);
    EXPECT_EQ(NetFreeBuffer(BufferOf(m)), 1);
}

TEST_F(NetTest, EachArmTakesOneDatagramAndOversizeOnesAreSkipped) {
    int a = Listen(kNetKindUdp);
    int b = Listen(kNetKindUdp);
    NetSockAddr to_a = LoopbackAddress(LocalPort(a));
    ASSERT_EQ(NetPostReceiveFrom(a, 4), 1);
    ASSERT_EQ(NetSendTo(b, "too long", 8, &to_a), 1);
    ASSERT_EQ(NetSendTo(b, "fit", 3, &to_a), 1);
    ASSERT_EQ(NetSendTo(b, "next", 4, &to_a), 1);

    FrameworkMessage m = Expect(MSG_NET_DATAGRAM, a);
    ASSERT_EQ(m.p2, 3u) << "the long one is dropped and the arm stays";
    EXPECT_EQ(std::memcmp(BufferOf(m), "fit", 3), 0);
    NetFreeBuffer(BufferOf(m));
    EXPECT_TRUE(QuietFor(300));

    ASSERT_EQ(NetPostReceiveFrom(a, 4), 1);
    m = Expect(MSG_NET_DATAGRAM, a);
    EXPECT_EQ(m.p2, 4u);
    NetFreeBuffer(BufferOf(m));
}

TEST_F(NetTest, UdpRefusesWhatItCannotDo) {
    int a = Listen(kNetKindUdp);
    NetSockAddr outside = LoopbackAddress(9);
    uint8_t ip[4] = {10, 1, 2, 3};
    std::memcpy(&outside.addr_be, ip, 4);
    EXPECT_EQ(NetSendTo(a, "x", 1, &outside), 0) << "non-loopback destinations are refused";
    int tcp = Listen(kNetKindTcp);
    EXPECT_EQ(NetPostReceiveFrom(tcp, kMax), 0);
    ASSERT_EQ(NetClose(a), 1);
    EXPECT_EQ(NetPostReceiveFrom(a, kMax), 0);
    NetSockAddr self = LoopbackAddress(1);
    EXPECT_EQ(NetSendTo(a, "x", 1, &self), 0);
    EXPECT_EQ(NetFreeBuffer(nullptr), 1);
}

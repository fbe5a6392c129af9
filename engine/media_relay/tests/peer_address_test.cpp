// Peer addresses, keys, socket addresses and peer records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "packets/peer_record.h"
#include "peers/peer_address.h"

using Bytes = std::vector<uint8_t>;

TEST(PeerAddress, KeepsIPv4InNetworkOrderAndPortsLittleEndian) {
    const Bytes wire = {0xC0, 0xA8, 0x01, 0x64, 0x90, 0x1F, 0x91, 0x1F};  // 192.168.1.100, 8080, 8081
    const PeerAddress a = ReadPeerAddress(wire.data());
    EXPECT_EQ(a, (PeerAddress{0x6401A8C0, 8080, 8081}));
    Bytes out(8, 0xEE);
    WritePeerAddress(out.data(), a);
    EXPECT_EQ(out, wire);
}

TEST(PeerAddress, SocketAddressHasFamilyNetworkPortAndStoredAddress) {
    const NetSockAddr s = TcpSocketAddress(PeerAddress{0x6401A8C0, 8080, 8081});
    uint8_t bytes[16];
    std::memcpy(bytes, &s, 16);
    EXPECT_EQ(Bytes(bytes, bytes + 16),
              (Bytes{0x02, 0x00, 0x1F, 0x90, 0xC0, 0xA8, 0x01, 0x64, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SocketAddressPort(UdpSocketAddress(PeerAddress{0x6401A8C0, 8080, 8081})), 8081);
    EXPECT_EQ(SocketAddressIPv4(s), 0x6401A8C0u);
}

TEST(PeerAddress, KeyOrdersByIPv4WordThenTcpThenUdp) {
    EXPECT_EQ(PeerKey(PeerAddress{0x0100007F, 0x1F90, 0x1F91}), 0x0100007F1F901F91ull);
    std::vector<PeerAddress> addresses = {
        {0x0200007F, 1, 1}, {0x0100007F, 2, 1}, {0x0100007F, 1, 2}, {0x0100007F, 1, 1}, {0xFF000001, 0, 0}};
    std::sort(addresses.begin(), addresses.end(),
              [](const PeerAddress& x, const PeerAddress& y) { return PeerKey(x) < PeerKey(y); });
    EXPECT_EQ(addresses, (std::vector<PeerAddress>{
                             {0x0100007F, 1, 1}, {0x0100007F, 1, 2}, {0x0100007F, 2, 1}, {0x0200007F, 1, 1},
                             {0xFF000001, 0, 0}}));
}

TEST(PeerRecord, RoundTripsAndIsMadeFromTheEntryWords) {
    const Bytes wire = {0x0A, 0x00, 0x00, 0x02, 0x50, 0x00, 0x51, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
    const PeerRecord r = ReadPeerRecord(wire.data());
    EXPECT_EQ(r, (PeerRecord{{0x0200000A, 80, 81}, 0x04030201, 0x08070605}));
    Bytes out(16, 0xEE);
    WritePeerRecord(out.data(), r);
    EXPECT_EQ(out, wire);

    // An entry: stated IPv4 at 24 (not used for the record), ports at 28, far-end IPv4 at 32,
    // further words at 16 and 20.
    Bytes entry(156, 0);
    const Bytes stated = {0x7F, 0x00, 0x00, 0x09};
    std::copy(stated.begin(), stated.end(), entry.begin() + 24);
    const Bytes at16 = {0x11, 0x12, 0x13, 0x14, 0x21, 0x22, 0x23, 0x24};
    std::copy(at16.begin(), at16.end(), entry.begin() + 16);
    const Bytes at28 = {0x90, 0x1F, 0x91, 0x1F, 0xC0, 0xA8, 0x01, 0x64};
    std::copy(at28.begin(), at28.end(), entry.begin() + 28);
    EXPECT_EQ(PeerRecordFromEntry(entry.data()),
              (PeerRecord{{0x6401A8C0, 8080, 8081}, 0x14131211, 0x24232221}));
}

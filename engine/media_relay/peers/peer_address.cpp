#include "peers/peer_address.h"

#include <cstring>

#include "packets/wire_bytes.h"

namespace {
constexpr uint32_t kIPv4Offset = 0;
constexpr uint32_t kTcpPortOffset = 4;
constexpr uint32_t kUdpPortOffset = 6;
constexpr uint16_t kFamilyIPv4 = 2;

uint16_t SwapBytes(uint16_t v) {
    return static_cast<uint16_t>((v << 8) | (v >> 8));
}
}  // namespace

PeerAddress ReadPeerAddress(const uint8_t* bytes) {
    PeerAddress a;
    a.ipv4 = ReadIPv4(bytes + kIPv4Offset);
    a.tcp_port = ReadU16(bytes + kTcpPortOffset);
    a.udp_port = ReadU16(bytes + kUdpPortOffset);
    return a;
}

void WritePeerAddress(uint8_t* bytes, const PeerAddress& address) {
    WriteIPv4(bytes + kIPv4Offset, address.ipv4);
    WriteU16(bytes + kTcpPortOffset, address.tcp_port);
    WriteU16(bytes + kUdpPortOffset, address.udp_port);
}

uint64_t PeerKey(const PeerAddress& address) {
    return (static_cast<uint64_t>(address.ipv4) << 32) | (static_cast<uint64_t>(address.tcp_port) << 16) |
           address.udp_port;
}

// Both targets are little-endian, so network order is the byte swap of the host value.
NetSockAddr ToSocketAddress(uint32_t ipv4, uint16_t port) {
    NetSockAddr s{};
    s.family = kFamilyIPv4;
    s.port_be = SwapBytes(port);
    uint8_t address_bytes[4];
    WriteIPv4(address_bytes, ipv4);
    std::memcpy(&s.addr_be, address_bytes, 4);
    return s;
}

uint32_t SocketAddressIPv4(const NetSockAddr& address) {
    uint8_t address_bytes[4];
    std::memcpy(address_bytes, &address.addr_be, 4);
    return ReadIPv4(address_bytes);
}

uint16_t SocketAddressPort(const NetSockAddr& address) {
    return SwapBytes(address.port_be);
}

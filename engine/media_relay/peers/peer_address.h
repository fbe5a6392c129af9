// A peer's address as peers state it to each other (8 bytes on the wire): IPv4 in network
// order, then its TCP and UDP ports little-endian in host order.
#pragma once

#include <cstdint>

#include "outside_abi.h"

constexpr uint32_t kPeerAddressSize = 8;

struct PeerAddress {
    uint32_t ipv4 = 0;  // the socket-address bytes read as a little-endian word
    uint16_t tcp_port = 0;
    uint16_t udp_port = 0;

    bool operator==(const PeerAddress&) const = default;
};

PeerAddress ReadPeerAddress(const uint8_t* bytes);
void WritePeerAddress(uint8_t* bytes, const PeerAddress& address);

// The order of address sets and maps: IPv4 x 2^32 + TCP port x 2^16 + UDP port.
uint64_t PeerKey(const PeerAddress& address);

// The socket address of one of the peer's ports; ports become network order only here.
NetSockAddr ToSocketAddress(uint32_t ipv4, uint16_t port);
inline NetSockAddr TcpSocketAddress(const PeerAddress& a) { return ToSocketAddress(a.ipv4, a.tcp_port); }
inline NetSockAddr UdpSocketAddress(const PeerAddress& a) { return ToSocketAddress(a.ipv4, a.udp_port); }

// The IPv4 word and host-order port of a received socket address.
uint32_t SocketAddressIPv4(const NetSockAddr& address);
uint16_t SocketAddressPort(const NetSockAddr& address);

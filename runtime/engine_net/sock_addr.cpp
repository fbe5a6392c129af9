#include "sock_addr.h"

#include <cstring>

namespace kuz {

uint32_t HostOrderAddress(const NetSockAddr& a) {
    uint8_t b[4];
    std::memcpy(b, &a.addr_be, 4);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

uint16_t HostOrderPort(const NetSockAddr& a) {
    uint8_t b[2];
    std::memcpy(b, &a.port_be, 2);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

NetSockAddr ToSockAddr(const asio::ip::address& address, uint16_t port) {
    NetSockAddr out{};
    out.family = kAddressFamilyInet;
    asio::ip::address_v4::bytes_type ip = address.to_v4().to_bytes();
    uint8_t p[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port)};
    std::memcpy(&out.port_be, p, 2);
    std::memcpy(&out.addr_be, ip.data(), 4);
    return out;
}

bool IsLoopback(uint32_t host_order_address) {
    return (host_order_address >> 24) == 127;
}

void ZeroAddress(NetSockAddr* out, int length) {
    if (!out || length <= 0) return;
    std::memset(out, 0, length < static_cast<int>(sizeof(NetSockAddr)) ? static_cast<size_t>(length) : sizeof(NetSockAddr));
}

}  // namespace kuz

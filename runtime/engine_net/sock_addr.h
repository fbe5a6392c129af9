// Conversions between the engine's 16-byte sockaddr_in and asio endpoints.
#pragma once

#include <cstdint>

#include "asio_config.h"
#include "outside_abi.h"

namespace kuz {

constexpr uint16_t kAddressFamilyInet = 2;

uint32_t HostOrderAddress(const NetSockAddr& a);
uint16_t HostOrderPort(const NetSockAddr& a);
NetSockAddr ToSockAddr(const asio::ip::address& address, uint16_t port);
bool IsLoopback(uint32_t host_order_address);
// Zero-fills `length` bytes (at most 16) of out, then writes the endpoint when there is one.
// 0 on success, -1 otherwise (the bytes stay zero).
template <class Endpoint>
int WriteEndpoint(const Endpoint& endpoint, const std::error_code& ec, NetSockAddr* out, int length);

void ZeroAddress(NetSockAddr* out, int length);

template <class Endpoint>
int WriteEndpoint(const Endpoint& endpoint, const std::error_code& ec, NetSockAddr* out, int length) {
    ZeroAddress(out, length);
    if (!out || length < static_cast<int>(sizeof(NetSockAddr)) || ec || !endpoint.address().is_v4()) return -1;
    *out = ToSockAddr(endpoint.address(), endpoint.port());
    return 0;
}

}  // namespace kuz

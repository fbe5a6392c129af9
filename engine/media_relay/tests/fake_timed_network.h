// The network layer over the core stand-in (fake_engine_core.h) for tests of the parts that talk
// to peers and link servers: every datagram sent and every outgoing request recorded, on the
// virtual clock that fires the timers falling due as the test moves it. Nothing arrives on its
// own: a test hands datagrams and request replies to the session itself.
#pragma once

#include <cstring>
#include <vector>

#include "engine_tables.h"
#include "fake_engine_core.h"
#include "message_ids.h"
#include "peers/peer_address.h"

namespace fake_net {

struct Datagram {
    int socket = -1;
    NetSockAddr to{};
    std::vector<uint8_t> bytes;

    uint8_t Type() const { return bytes.size() > 2 ? bytes[2] : 0; }
    uint32_t ToIPv4() const { return SocketAddressIPv4(to); }
    uint16_t ToPort() const { return SocketAddressPort(to); }
};

// One CreateNetRequest the code under test made.
struct Request {
    void* owner = nullptr;
    uint32_t ipv4 = 0;
    int port = 0;
    uint32_t timeout_ms = 0;
    std::vector<uint8_t> bytes;

    uint8_t Type() const { return bytes.size() > 2 ? bytes[2] : 0; }
};

struct State {
    std::vector<Datagram> sent;
    std::vector<Request> requests;
    int next_socket = 100;
    std::vector<void*> freed_net_buffers;
};

inline State& Get() {
    static State state;
    return state;
}

using fake_core::Advance;
using fake_core::Now;

namespace detail {

using fake_core::detail::Put;

inline int ENGINE_CALL CreateSocket(int, int, uint32_t) {
    return Get().next_socket++;
}
inline int ENGINE_CALL SocketCall(int) {
    return 1;
}
inline int ENGINE_CALL SetHandler(int, void*) {
    return 1;
}
inline int ENGINE_CALL SendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to) {
    Datagram d;
    d.socket = socket;
    d.to = *to;
    d.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    Get().sent.push_back(std::move(d));
    return 1;
}
inline int ENGINE_CALL FreeBuffer(void* buffer) {
    Get().freed_net_buffers.push_back(buffer);
    return 1;
}
inline int ENGINE_CALL Address(int, NetSockAddr* address, int) {
    std::memset(address, 0, sizeof(*address));
    return -1;
}

inline int ENGINE_CALL NetTs(uint32_t* table) {
    Put(table, kNetCreateBoundSocket, &CreateSocket);
    Put(table, kNetCreateSocket, &CreateSocket);
    Put(table, kNetSetHandler, &SetHandler);
    Put(table, kNetClose, &SocketCall);
    Put(table, kNetDestroySocket, &SocketCall);
    Put(table, kNetStartReceive, &SocketCall);
    Put(table, kNetStreamStartReceive, &SocketCall);
    Put(table, kNetSendTo, &SendTo);
    Put(table, kNetFreeBuffer, &FreeBuffer);
    Put(table, kNetGetPeerAddress, &Address);
    Put(table, kNetGetLocalAddress, &Address);
    return 1;
}

inline char g_request_token;

}  // namespace detail

// The framework's CreateNetRequest: records the request and hands back a token.
inline void* ENGINE_CALL CreateNetRequest(void* owner, uint32_t ipv4_be, int port, uint32_t timeout_ms,
                                          const void* data, uint32_t length) {
    Request r{owner, ipv4_be, port, timeout_ms, {}};
    r.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    Get().requests.push_back(std::move(r));
    return &detail::g_request_token;
}

// Fresh state, both tables bound, the engine clock at `start`. Dead objects' timers go with
// them, as the real core purges them.
inline void Install(uint32_t start) {
    fake_core::Bind(fake_core::Fill::Pattern);
    fake_core::Get().purge_timers_on_unregister = true;
    fake_core::StartClock(start);
    Get() = State{};
    BindNetTableFrom(&detail::NetTs);
}

inline void Uninstall() {
    fake_core::StopClock();
    UnbindTablesForTest();
}

inline std::vector<Datagram> SentOfType(uint8_t type) {
    std::vector<Datagram> out;
    for (const Datagram& d : Get().sent)
        if (d.Type() == type) out.push_back(d);
    return out;
}

inline void ClearSent() {
    Get().sent.clear();
    Get().requests.clear();
}

}  // namespace fake_net

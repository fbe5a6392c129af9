// The socket layer over the core stand-in (fake_engine_core.h) for tests of one relay part in
// isolation: stream and datagram sockets whose calls are recorded and whose results the test
// chooses. The clock moves only when the test moves it and no timer fires: a test hands
// messages to objects itself and reads the timers that were set.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_tables.h"
#include "fake_engine_core.h"

namespace fake_engine {

using fake_core::LiveTimers;
using fake_core::Now;
using fake_core::Timer;

struct Socket {
    std::string sent;                // every byte sent, in order
    std::vector<uint32_t> send_sizes;
    int pending = 0;                 // what NetPendingSendCount answers
    bool refuse_sends = false;
    int refuse_after = -1;           // refuse from this many sends on (-1: never)
    bool refuse_receive = false;
    void* handler = nullptr;
    bool closed = false, destroyed = false;
    int receives = 0;
};

struct State {
    std::map<int, Socket> sockets;
    std::map<int, int> bind_results;  // port -> result; unlisted ports bind
    std::vector<int> bound_ports;
    int next_socket = 100;
    int create_socket_result = 0;     // 0: make a new id
    std::vector<void*> freed_buffers;
    NetSockAddr last_connect{};
};

inline State& Get() {
    static State state;
    return state;
}

namespace detail {

using fake_core::detail::Put;

inline int NewSocket() {
    int id = Get().next_socket++;
    Get().sockets[id];
    return id;
}
inline int ENGINE_CALL CreateBound(int, int port, uint32_t) {
    Get().bound_ports.push_back(port);
    auto it = Get().bind_results.find(port);
    if (it != Get().bind_results.end()) return it->second;
    return NewSocket();
}
inline int ENGINE_CALL CreateSocket(int, int, uint32_t) {
    return Get().create_socket_result ? Get().create_socket_result : NewSocket();
}
inline int ENGINE_CALL Connect(int, const NetSockAddr* to) {
    Get().last_connect = *to;
    return 1;
}
inline int ENGINE_CALL SetHandler(int s, void* handler) {
    Get().sockets[s].handler = handler;
    return 1;
}
inline int ENGINE_CALL Close(int s) {
    Get().sockets[s].closed = true;
    return 1;
}
inline int ENGINE_CALL Destroy(int s) {
    Get().sockets[s].destroyed = true;
    return 1;
}
inline int ENGINE_CALL Send(int s, const void* data, uint32_t length) {
    Socket& socket = Get().sockets[s];
    if (socket.refuse_sends || socket.refuse_after == static_cast<int>(socket.send_sizes.size())) return 0;
    socket.sent.append(static_cast<const char*>(data), length);
    socket.send_sizes.push_back(length);
    return 1;
}
inline int ENGINE_CALL StartReceive(int s) {
    Socket& socket = Get().sockets[s];
    ++socket.receives;
    return socket.refuse_receive ? 0 : 1;
}
inline int ENGINE_CALL FreeBuffer(void* buffer) {
    Get().freed_buffers.push_back(buffer);
    return 1;
}
inline int ENGINE_CALL PeerAddress(int, NetSockAddr* address, int) {
    std::memset(address, 0, sizeof(*address));
    address->family = 2;
    address->addr_be = 0x0100007F;
    return 0;
}
inline int ENGINE_CALL Pending(int s) {
    return Get().sockets[s].pending;
}
inline int ENGINE_CALL SetValue(int, int) {
    return 1;
}
inline int ENGINE_CALL NetTs(uint32_t* table) {
    auto put = [table](int slot, auto fn) { Put(table, slot, fn); };
    put(kNetCreateBoundSocket, &CreateBound);
    put(kNetCreateSocket, &CreateSocket);
    put(kNetConnect, &Connect);
    put(kNetSetHandler, &SetHandler);
    put(kNetClose, &Close);
    put(kNetDestroySocket, &Destroy);
    put(kNetSend, &Send);
    put(kNetStreamSend, &Send);
    put(kNetStartReceive, &StartReceive);
    put(kNetStreamStartReceive, &StartReceive);
    put(kNetFreeBuffer, &FreeBuffer);
    put(kNetGetPeerAddress, &PeerAddress);
    put(kNetGetLocalAddress, &PeerAddress);
    put(kNetPendingSendCount, &Pending);
    put(kNetSetSocketValue, &SetValue);
    return 1;
}

}  // namespace detail

// Fresh state, both tables bound to the stand-ins, and the clock at `start`.
inline void Install(uint32_t start = 0) {
    fake_core::Bind(fake_core::Fill::Pattern);
    fake_core::StartClock(start);
    Get() = State{};
    BindNetTableFrom(&detail::NetTs);
}

// Moves the clock; timers that fall due do not fire.
inline void Advance(uint32_t ms) {
    fake_core::MoveClock(ms);
}

inline FrameworkMessage Message(uint32_t id, uint32_t p1 = 0, uint32_t p2 = 0) {
    FrameworkMessage msg{};
    msg.id = id;
    msg.p1 = p1;
    msg.p2 = p2;
    return msg;
}

}  // namespace fake_engine

// The framed-socket layer for the piece scheduler and peer transfer tests, over the network
// layer of fake_timed_network.h and its core (virtual clock, counted blocks, posted messages):
// framed TCP sockets whose sends, receive arms, connect time-outs, peer addresses and
// pending-send counts the test sees and sets. Nothing is delivered on its own.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fake_timed_network.h"
#include "message_object.h"
#include "packets/wire_bytes.h"

namespace fake_transfer {

struct Socket {
    std::vector<std::vector<uint8_t>> frames;  // every NetSend, in order
    NetSockAddr peer{};
    bool has_peer = false;
    NetSockAddr connected_to{};
    int connect_timeout_s = -1;  // the last NetSetSocketValue
    int pending = 0;
    bool holds_sends = false;  // every send stays pending (a peer that never reads)
    int receives = 0;
    bool destroyed = false;
    void* handler = nullptr;
};

using fake_core::Posted;
using fake_core::PostedOf;

struct State {
    std::map<int, Socket> sockets;
    std::vector<int> connects;  // sockets in the order of NetConnect
    int next_socket = 500;
    int connection_count = 0;
    bool refuse_connect = false;
};

inline State& Get() {
    static State state;
    return state;
}

inline NetSockAddr Address(uint32_t ipv4, uint16_t port) {
    NetSockAddr a{};
    a.family = 2;
    a.port_be = static_cast<uint16_t>((port >> 8) | (port << 8));
    a.addr_be = ipv4;
    return a;
}

namespace detail {

using fake_core::detail::Put;

inline int ENGINE_CALL NewSocket(int, int, uint32_t) {
    const int id = Get().next_socket++;
    Get().sockets[id];
    return id;
}
inline int ENGINE_CALL Connect(int s, const NetSockAddr* to) {
    if (Get().refuse_connect) return 0;
    Get().sockets[s].connected_to = *to;
    Get().connects.push_back(s);
    return 1;
}
inline int ENGINE_CALL SetHandler(int s, void* handler) {
    Get().sockets[s].handler = handler;
    return 1;
}
inline int ENGINE_CALL Quiet(int) {
    return 1;
}
inline int ENGINE_CALL Destroy(int s) {
    Get().sockets[s].destroyed = true;
    return 1;
}
inline int ENGINE_CALL Send(int s, const void* data, uint32_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    Socket& socket = Get().sockets[s];
    socket.frames.emplace_back(bytes, bytes + length);
    if (socket.holds_sends) ++socket.pending;
    return 1;
}
inline int ENGINE_CALL SendTo(int, const void*, uint32_t, const NetSockAddr*) {
    return 1;
}
inline int ENGINE_CALL StartReceive(int s) {
    ++Get().sockets[s].receives;
    return 1;
}
inline int ENGINE_CALL FreeBuffer(void*) {
    return 1;
}
inline int ENGINE_CALL PeerAddress(int s, NetSockAddr* address, int) {
    auto it = Get().sockets.find(s);
    if (it == Get().sockets.end() || !it->second.has_peer) {
        std::memset(address, 0, sizeof(*address));
        return -1;
    }
    *address = it->second.peer;
    return 0;
}
inline int ENGINE_CALL Pending(int s) {
    return Get().sockets[s].pending;
}
inline int ENGINE_CALL SetValue(int s, int value) {
    Get().sockets[s].connect_timeout_s = value;
    return 1;
}
inline int ENGINE_CALL ConnectionCount() {
    return Get().connection_count;
}
inline int ENGINE_CALL NetTs(uint32_t* table) {
    Put(table, kNetCreateBoundSocket, &NewSocket);
    Put(table, kNetCreateSocket, &NewSocket);
    Put(table, kNetConnect, &Connect);
    Put(table, kNetSetHandler, &SetHandler);
    Put(table, kNetClose, &Quiet);
    Put(table, kNetDestroySocket, &Destroy);
    Put(table, kNetSend, &Send);
    Put(table, kNetStreamSend, &Send);
    Put(table, kNetSendTo, &SendTo);
    Put(table, kNetStartReceive, &StartReceive);
    Put(table, kNetStreamStartReceive, &StartReceive);
    Put(table, kNetPostReceiveFrom, &Quiet);
    Put(table, kNetFreeBuffer, &FreeBuffer);
    Put(table, kNetGetPeerAddress, &PeerAddress);
    Put(table, kNetGetLocalAddress, &PeerAddress);
    Put(table, kNetPendingSendCount, &Pending);
    Put(table, kNetSetSocketValue, &SetValue);
    Put(table, kNetConnectionCount, &ConnectionCount);
    return 1;
}

}  // namespace detail

// The virtual clock at `start`, both tables bound, nothing recorded.
inline void Install(uint32_t start) {
    fake_net::Install(start);
    Get() = State{};
    BindNetTableFrom(&detail::NetTs);
}

inline void Uninstall() {
    fake_net::Uninstall();
}

// A connection socket the framework accepted from `ipv4`:`port`.
inline int AcceptedSocket(uint32_t ipv4, uint16_t port) {
    const int id = Get().next_socket++;
    Socket& socket = Get().sockets[id];
    socket.peer = Address(ipv4, port);
    socket.has_peer = true;
    return id;
}

// Hands a socket event to the object the code attached to the socket.
inline void SocketEvent(int s, uint32_t id, uint32_t p1 = 0, uint32_t p2 = 0) {
    auto* handler = static_cast<CMessageObject*>(Get().sockets[s].handler);
    FrameworkMessage msg{handler->AsTarget(), static_cast<uint32_t>(s), id, p1, p2, 0, 0, 0};
    handler->OnMessage(&msg);
}

inline void Frame(int s, const std::vector<uint8_t>& bytes) {
    SocketEvent(s, MSG_NET_DATA, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bytes.data())),
                static_cast<uint32_t>(bytes.size()));
}

// Frames of one transfer packet type sent on a socket.
inline std::vector<std::vector<uint8_t>> SentOfType(int s, uint8_t type) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& frame : Get().sockets[s].frames)
        if (frame.size() > 2 && frame[2] == type) out.push_back(frame);
    return out;
}

}  // namespace fake_transfer

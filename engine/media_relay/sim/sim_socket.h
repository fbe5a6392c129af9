// One socket of the simulated network library, with what its kind needs: the bound address of
// a listener or datagram socket, the far end and the arrived, undelivered traffic of a
// connection, and the receive arms that let that traffic through as messages.
#pragma once

#include <cstdint>
#include <deque>

#include "event_queue.h"
#include "outside_abi.h"
#include "transmission.h"

namespace sim {

class Node;

enum class SocketKind : uint8_t {
    kDatagram,        // NetCreateBoundSocket kind 5
    kFramedListener,  // kind 2 listener: its connections are message-framed
    kStreamListener,  // kind 4 listener: its connections are raw byte streams
    kFramed,          // a framed connection, outgoing (NetCreateSocket 2) or accepted
    kStream,          // an accepted raw stream connection
    kStreamClient,    // a player's raw stream connection to a kind 4 listener
};

struct SimSocket {
    enum State : uint8_t { kIdle, kConnecting, kConnected, kEnded };

    int id = 0;
    Node* node = nullptr;
    SocketKind kind = SocketKind::kFramed;
    uint32_t ipv4 = 0;  // local address
    uint16_t port = 0;
    bool bound = false;
    NetSockAddr peer{};
    bool has_peer = false;
    void* handler = nullptr;
    bool closed = false;  // NetClose ran: no event is posted any more

    // Connections.
    State state = kIdle;
    int far = 0;  // the far end's socket
    int connect_timeout_s = 20;
    EventQueue::Key connect_timer{};
    bool sent_end = false;
    std::deque<Transmission> inbox;  // arrived, not yet delivered; an end comes last
    size_t front_offset = 0;         // raw streams: bytes of the front unit already delivered
    int arms = 0;                    // framed: deliveries armed
    bool end_delivered = false;
    bool reading = false;            // raw streams: continuous reading started
    int unfreed = 0;                 // raw streams: delivered buffers not yet freed

    // Datagram sockets.
    std::deque<uint32_t> receive_arms;  // the maximum length of each
    std::deque<Transmission> datagrams;

    bool IsConnection() const {
        return kind == SocketKind::kFramed || kind == SocketKind::kStream || kind == SocketKind::kStreamClient;
    }
    bool IsRawStream() const { return kind == SocketKind::kStream || kind == SocketKind::kStreamClient; }
    bool IsListener() const { return kind == SocketKind::kFramedListener || kind == SocketKind::kStreamListener; }
};

}  // namespace sim

// The in-memory network that stands in for the network library, for every node of a run: the
// same socket kinds, message framing, one-shot receive arming, raw streams read in chunks of at
// most 4096 bytes, graceful closes and datagrams, with the events coming back as messages to
// each socket's handler. Between hosts, each node's outgoing traffic is emulated as its
// LinkEmulation says: latency (with jitter, connection order kept), datagram loss, TCP segment
// loss as a retransmission delay, and its uplink's byte rate; traffic to the own IPv4 is
// loopback and goes through untouched.
//
// Host addresses: a connect to a port nobody listens on, at a host that is up, is refused after
// a round trip; a connect to an address no live node has (a host that went away) runs into its
// connect time-out. A node that crashes resets its connections, whose far ends see them close.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "event_queue.h"
#include "message_dispatch.h"
#include "outside_abi.h"
#include "seeded_random.h"
#include "sim_socket.h"
#include "transmission.h"
#include "uplink.h"

namespace sim {

class Node;

class Network {
public:
    static constexpr uint32_t kStreamChunk = 4096;
    static constexpr int kStreamUnfreedLimit = 8;
    static constexpr size_t kDatagramQueue = 256;
    static constexpr uint32_t kSegmentBytes = 1460;
    static constexpr uint32_t kMinRetransmitMs = 200;
    static constexpr int kDefaultConnectSeconds = 20;
    // Error codes of failed connects and reset connections.
    static constexpr uint32_t kRefused = 10061;
    static constexpr uint32_t kTimedOut = 10060;
    static constexpr uint32_t kReset = 10054;

    Network(EventQueue& events, MessageDispatch& dispatch, SeededRandom random);
    ~Network();

    // --- hosts ---
    void AddNode(Node* node);
    // The node's sockets are gone at once; its connections' far ends see a reset.
    void CrashNode(Node* node);

    // --- the network library's entries, for the calling node ---
    int CreateBound(Node* node, int kind, int port);
    int CreateConnection(Node* node, int kind);
    // A player's raw stream connection (no table entry makes one).
    int CreateStreamClient(Node* node);
    bool Connect(Node* node, int socket, const NetSockAddr& to);
    bool SetHandler(Node* node, int socket, void* handler);
    // An object that unregisters is no socket's handler any more: their events are dropped.
    void ForgetHandler(Node* node, const void* handler);
    bool Close(Node* node, int socket);
    bool Destroy(Node* node, int socket);
    bool Send(Node* node, int socket, const void* data, uint32_t length);
    bool StreamSend(Node* node, int socket, const void* data, uint32_t length);
    bool StartReceive(Node* node, int socket);
    bool StreamStartReceive(Node* node, int socket);
    bool SendTo(Node* node, int socket, const void* data, uint32_t length, const NetSockAddr& to);
    bool PostReceiveFrom(Node* node, int socket, uint32_t max_length);
    bool FreeBuffer(void* buffer);
    int ConnectionCount(Node* node) const;
    bool PeerAddress(Node* node, int socket, NetSockAddr* out) const;
    bool LocalAddress(Node* node, int socket, NetSockAddr* out) const;
    int PendingSends(Node* node, int socket) const;
    bool SetConnectTimeout(Node* node, int socket, int seconds);

    // What a dropped message owned: its buffer, or the connection it announced.
    void Release(Node* node, const FrameworkMessage& msg);

private:
    using BoundKey = std::tuple<uint32_t, uint16_t, bool>;  // IPv4, port, datagram

    SimSocket* Find(Node* node, int socket);
    const SimSocket* Find(Node* node, int socket) const;
    SimSocket* FindAny(int socket);
    int NewSocket(Node* node, SocketKind kind);
    bool Bind(SimSocket& socket, uint16_t port, bool datagram);
    void Unbind(SimSocket& socket);
    uint16_t EphemeralPort(uint32_t ipv4, bool datagram);
    // A live node at that address (the first that came up), null when none.
    Node* HostNode(uint32_t ipv4) const;

    // A connection's data, queued for sending; false when the connection cannot take it.
    bool Queue(Node* node, SimSocket& socket, Transmission::Kind kind, const void* data, uint32_t length);
    // Outgoing traffic: through the node's uplink, or straight on for loopback.
    void Transmit(Node* node, Transmission transmission, uint32_t to_ipv4);
    void Propagate(Node* node, Transmission&& transmission);
    SimTime OneWayDelay(const Node* from, uint32_t to_ipv4);
    SimTime RetransmitDelay(Node* from, uint32_t to_ipv4, uint64_t bytes);
    void SendEnd(SimSocket& socket, uint32_t code, bool after_queued);

    void SynArrives(int client, NetSockAddr to);
    void SynAckArrives(int client, int accepted);
    void RefusalArrives(int client);
    void ConnectTimesOut(int client);
    void Arrive(Transmission&& transmission);
    void DatagramArrives(Transmission&& transmission);

    void Pump(SimSocket& socket);
    void PumpFramed(SimSocket& socket);
    void PumpStream(SimSocket& socket);
    void PumpDatagrams(SimSocket& socket);
    void PumpLater(int socket);
    void PostEvent(SimSocket& socket, uint32_t id, uint32_t p1 = 0, uint32_t p2 = 0, uint32_t p3 = 0);
    void CountSent(Node* node, const SimSocket& socket, const uint8_t* data, uint32_t length);
    void CountReceived(Node* node, const SimSocket& socket, const Transmission& transmission);

    EventQueue& m_events;
    MessageDispatch& m_dispatch;
    SeededRandom m_random;
    std::map<int, SimSocket> m_sockets;
    std::map<BoundKey, int> m_bound;
    std::map<int, std::set<int>> m_node_sockets;  // node id -> its socket ids
    std::map<int, std::unique_ptr<Uplink>> m_uplinks;  // by node id
    std::map<uint32_t, std::vector<Node*>> m_hosts;    // live nodes by IPv4, in start order
    std::map<int, SimTime> m_last_arrival;             // per sending socket: keeps order
    std::map<std::pair<uint32_t, bool>, uint16_t> m_next_port;
    int m_next_socket = 1;
};

}  // namespace sim

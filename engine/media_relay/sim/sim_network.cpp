#include "sim_network.h"

#include <algorithm>
#include <cstring>

#include "message_ids.h"
#include "net_buffers.h"
#include "packets/packet_header.h"
#include "peers/peer_address.h"
#include "sim_node.h"

namespace sim {

namespace {

uint32_t Word(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

void* Pointer(uint32_t word) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(word));
}

bool IsPieceFrame(const uint8_t* data, uint32_t length) {
    return length > kTransferTypeOffset && data[kTransferTypeOffset] == kPacketPiece;
}

}  // namespace

Network::Network(EventQueue& events, MessageDispatch& dispatch, SeededRandom random)
    : m_events(events), m_dispatch(dispatch), m_random(random) {}

Network::~Network() = default;

// ---------------------------------------------------------------------------------------------
// Hosts

void Network::AddNode(Node* node) {
    m_hosts[node->IPv4()].push_back(node);
    m_uplinks[node->Id()] = std::make_unique<Uplink>(m_events, node->Link().uplink_bytes_per_s,
                                                     [this, node](Transmission&& t) { Propagate(node, std::move(t)); });
}

Node* Network::HostNode(uint32_t ipv4) const {
    auto it = m_hosts.find(ipv4);
    return it == m_hosts.end() || it->second.empty() ? nullptr : it->second.front();
}

void Network::CrashNode(Node* node) {
    auto host = m_hosts.find(node->IPv4());
    if (host != m_hosts.end()) {
        std::erase(host->second, node);
        if (host->second.empty()) m_hosts.erase(host);
    }
    if (auto uplink = m_uplinks.find(node->Id()); uplink != m_uplinks.end()) uplink->second->Drop();
    const std::set<int> ids = m_node_sockets[node->Id()];
    for (int id : ids) {
        SimSocket* socket = FindAny(id);
        if (!socket) continue;
        if (socket->IsConnection() && socket->state == SimSocket::kConnected && !socket->sent_end)
            SendEnd(*socket, kReset, false);
        Unbind(*socket);
        m_sockets.erase(id);
    }
    m_node_sockets.erase(node->Id());
}

// ---------------------------------------------------------------------------------------------
// Sockets and addresses

SimSocket* Network::FindAny(int socket) {
    auto it = m_sockets.find(socket);
    return it == m_sockets.end() ? nullptr : &it->second;
}

SimSocket* Network::Find(Node* node, int socket) {
    SimSocket* s = FindAny(socket);
    return s && s->node == node ? s : nullptr;  // another node's id is unknown here
}

const SimSocket* Network::Find(Node* node, int socket) const {
    auto it = m_sockets.find(socket);
    return it != m_sockets.end() && it->second.node == node ? &it->second : nullptr;
}

int Network::NewSocket(Node* node, SocketKind kind) {
    const int id = m_next_socket++;
    SimSocket& socket = m_sockets[id];
    socket.id = id;
    socket.node = node;
    socket.kind = kind;
    socket.ipv4 = node->IPv4();
    socket.connect_timeout_s = kDefaultConnectSeconds;
    m_node_sockets[node->Id()].insert(id);
    return id;
}

uint16_t Network::EphemeralPort(uint32_t ipv4, bool datagram) {
    uint16_t& next = m_next_port.try_emplace({ipv4, datagram}, 40000).first->second;
    for (;;) {
        const uint16_t port = next;
        next = next == 65535 ? 40000 : static_cast<uint16_t>(next + 1);
        if (!m_bound.count({ipv4, port, datagram})) return port;
    }
}

bool Network::Bind(SimSocket& socket, uint16_t port, bool datagram) {
    if (port == 0) port = EphemeralPort(socket.ipv4, datagram);
    if (!m_bound.try_emplace({socket.ipv4, port, datagram}, socket.id).second) return false;
    socket.port = port;
    socket.bound = true;
    return true;
}

void Network::Unbind(SimSocket& socket) {
    if (!socket.bound) return;
    const BoundKey key{socket.ipv4, socket.port, socket.kind == SocketKind::kDatagram};
    auto it = m_bound.find(key);
    if (it != m_bound.end() && it->second == socket.id) m_bound.erase(it);
    socket.bound = false;
}

int Network::CreateBound(Node* node, int kind, int port) {
    if (port < 0 || port > 0xFFFF) return -1;
    SocketKind socket_kind;
    switch (kind) {
        case kNetKindTcp: socket_kind = SocketKind::kFramedListener; break;
        case kNetKindStream: socket_kind = SocketKind::kStreamListener; break;
        case kNetKindUdp: socket_kind = SocketKind::kDatagram; break;
        default: return -1;
    }
    const int id = NewSocket(node, socket_kind);
    if (!Bind(m_sockets[id], static_cast<uint16_t>(port), socket_kind == SocketKind::kDatagram)) {
        m_sockets.erase(id);
        m_node_sockets[node->Id()].erase(id);
        return kNetPortInUse;
    }
    return id;
}

int Network::CreateConnection(Node* node, int kind) {
    return kind == kNetKindTcp ? NewSocket(node, SocketKind::kFramed) : -1;
}

int Network::CreateStreamClient(Node* node) {
    return NewSocket(node, SocketKind::kStreamClient);
}

bool Network::SetHandler(Node* node, int socket, void* handler) {
    SimSocket* s = Find(node, socket);
    if (!s) return false;
    s->handler = handler;
    return true;
}

void Network::ForgetHandler(Node* node, const void* handler) {
    auto it = m_node_sockets.find(node->Id());
    if (it == m_node_sockets.end()) return;
    for (int id : it->second)
        if (SimSocket* s = FindAny(id); s && s->handler == handler) s->handler = nullptr;
}

bool Network::PeerAddress(Node* node, int socket, NetSockAddr* out) const {
    const SimSocket* s = Find(node, socket);
    std::memset(out, 0, sizeof(*out));
    if (!s || !s->has_peer) return false;
    *out = s->peer;
    return true;
}

bool Network::LocalAddress(Node* node, int socket, NetSockAddr* out) const {
    const SimSocket* s = Find(node, socket);
    std::memset(out, 0, sizeof(*out));
    if (!s) return false;
    *out = ToSocketAddress(s->ipv4, s->port);
    return true;
}

int Network::ConnectionCount(Node* node) const {
    auto it = m_node_sockets.find(node->Id());
    if (it == m_node_sockets.end()) return 0;
    int count = 0;
    for (int id : it->second) {
        const SimSocket* s = Find(node, id);
        if (s && s->kind == SocketKind::kFramed && !s->closed) ++count;
    }
    return count;
}

int Network::PendingSends(Node* node, int socket) const {
    if (!Find(node, socket)) return 0;
    auto uplink = m_uplinks.find(node->Id());
    return uplink == m_uplinks.end() ? 0 : uplink->second->Pending(socket);
}

bool Network::SetConnectTimeout(Node* node, int socket, int seconds) {
    SimSocket* s = Find(node, socket);
    if (!s) return false;
    s->connect_timeout_s = seconds;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Connecting

bool Network::Connect(Node* node, int socket, const NetSockAddr& to) {
    SimSocket* s = Find(node, socket);
    if (!s || s->closed || s->state != SimSocket::kIdle) return false;
    if (s->kind != SocketKind::kFramed && s->kind != SocketKind::kStreamClient) return false;
    if (!s->bound && !Bind(*s, 0, false)) return false;
    s->state = SimSocket::kConnecting;
    s->peer = to;
    s->has_peer = true;
    const int client = s->id;
    m_events.After(OneWayDelay(node, SocketAddressIPv4(to)), [this, client, to] { SynArrives(client, to); });
    s->connect_timer = m_events.After(Seconds(s->connect_timeout_s), [this, client] { ConnectTimesOut(client); });
    return true;
}

void Network::SynArrives(int client, NetSockAddr to) {
    SimSocket* c = FindAny(client);
    if (!c || c->state != SimSocket::kConnecting) return;
    const uint32_t ipv4 = SocketAddressIPv4(to);
    auto bound = m_bound.find({ipv4, SocketAddressPort(to), false});
    SimSocket* listener = bound == m_bound.end() ? nullptr : FindAny(bound->second);
    const bool accepts = listener && !listener->closed && listener->node->Alive() &&
                         ((listener->kind == SocketKind::kFramedListener && c->kind == SocketKind::kFramed) ||
                          (listener->kind == SocketKind::kStreamListener && c->kind == SocketKind::kStreamClient));
    if (!accepts) {
        // A host that is up refuses at once; an address nobody has stays silent.
        if (Node* host = HostNode(ipv4))
            m_events.After(OneWayDelay(host, c->ipv4), [this, client] { RefusalArrives(client); });
        return;
    }
    Node* server = listener->node;
    const int accepted =
        NewSocket(server, listener->kind == SocketKind::kFramedListener ? SocketKind::kFramed : SocketKind::kStream);
    SimSocket& a = m_sockets[accepted];
    a.ipv4 = listener->ipv4;
    a.port = listener->port;
    a.peer = ToSocketAddress(c->ipv4, c->port);
    a.has_peer = true;
    a.state = SimSocket::kConnected;
    a.far = client;
    // The connect's answer travels ahead of anything the server then sends on the connection.
    const SimTime answered = m_events.Now() + OneWayDelay(server, c->ipv4);
    m_last_arrival[accepted] = answered;
    m_events.Schedule(answered, [this, client, accepted] { SynAckArrives(client, accepted); });
    PostEvent(*listener, MSG_NET_ACCEPT, static_cast<uint32_t>(accepted));
}

void Network::SynAckArrives(int client, int accepted) {
    SimSocket* c = FindAny(client);
    if (!c || c->closed || c->state != SimSocket::kConnecting) {
        // The client gave up meanwhile: the server's side of the connection is reset.
        if (SimSocket* a = FindAny(accepted)) {
            Transmission reset;
            reset.kind = Transmission::kEnd;
            reset.from_socket = client;
            reset.to_socket = accepted;
            reset.end_code = kReset;
            m_events.After(OneWayDelay(a->node, SocketAddressIPv4(a->peer)),
                           [this, reset]() mutable { Arrive(std::move(reset)); });
        }
        return;
    }
    m_events.Cancel(c->connect_timer);
    c->state = SimSocket::kConnected;
    c->far = accepted;
    PostEvent(*c, MSG_NET_CONNECTED);
}

void Network::RefusalArrives(int client) {
    SimSocket* c = FindAny(client);
    if (!c || c->state != SimSocket::kConnecting) return;
    m_events.Cancel(c->connect_timer);
    c->state = SimSocket::kEnded;
    PostEvent(*c, MSG_NET_CONNECT_FAILED, kRefused);
}

void Network::ConnectTimesOut(int client) {
    SimSocket* c = FindAny(client);
    if (!c || c->state != SimSocket::kConnecting) return;
    c->state = SimSocket::kEnded;
    PostEvent(*c, MSG_NET_CONNECT_FAILED, kTimedOut);
}

// ---------------------------------------------------------------------------------------------
// Closing

void Network::SendEnd(SimSocket& socket, uint32_t code, bool after_queued) {
    socket.sent_end = true;
    Transmission end;
    end.kind = Transmission::kEnd;
    end.from_socket = socket.id;
    end.to_socket = socket.far;
    end.end_code = code;
    if (after_queued) {
        Transmit(socket.node, std::move(end), SocketAddressIPv4(socket.peer));
    } else {
        Propagate(socket.node, std::move(end));
    }
}

bool Network::Close(Node* node, int socket) {
    SimSocket* s = Find(node, socket);
    if (!s) return false;
    if (s->closed) return true;
    s->closed = true;
    m_dispatch.TakeSocketEvents(node, socket);
    Unbind(*s);
    if (s->IsConnection()) {
        if (s->state == SimSocket::kConnecting) {
            m_events.Cancel(s->connect_timer);
            s->state = SimSocket::kEnded;
        } else if (s->state == SimSocket::kConnected && !s->sent_end) {
            SendEnd(*s, 0, true);  // after the queued sends: the close is graceful
        }
    }
    s->inbox.clear();
    s->datagrams.clear();
    return true;
}

bool Network::Destroy(Node* node, int socket) {
    if (!Close(node, socket)) return false;
    m_sockets.erase(socket);
    m_node_sockets[node->Id()].erase(socket);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sending

bool Network::Send(Node* node, int socket, const void* data, uint32_t length) {
    SimSocket* s = Find(node, socket);
    return s && s->kind == SocketKind::kFramed && Queue(node, *s, Transmission::kFrame, data, length);
}

bool Network::StreamSend(Node* node, int socket, const void* data, uint32_t length) {
    SimSocket* s = Find(node, socket);
    return s && s->IsRawStream() && Queue(node, *s, Transmission::kStreamBytes, data, length);
}

bool Network::Queue(Node* node, SimSocket& s, Transmission::Kind kind, const void* data, uint32_t length) {
    if (s.closed || s.state != SimSocket::kConnected || s.sent_end) return false;
    Transmission t;
    t.kind = kind;
    t.from_socket = s.id;
    t.to_socket = s.far;
    t.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    CountSent(node, s, t.bytes.data(), length);
    Transmit(node, std::move(t), SocketAddressIPv4(s.peer));
    return true;
}

bool Network::SendTo(Node* node, int socket, const void* data, uint32_t length, const NetSockAddr& to) {
    SimSocket* s = Find(node, socket);
    if (!s || s->kind != SocketKind::kDatagram || s->closed || !s->bound) return false;
    Transmission t;
    t.kind = Transmission::kDatagram;
    t.from_socket = socket;
    t.from = ToSocketAddress(s->ipv4, s->port);
    t.to = to;
    t.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    CountSent(node, *s, t.bytes.data(), length);
    Transmit(node, std::move(t), SocketAddressIPv4(to));
    return true;
}

void Network::Transmit(Node* node, Transmission transmission, uint32_t to_ipv4) {
    if (to_ipv4 == node->IPv4()) {
        Propagate(node, std::move(transmission));
        return;
    }
    auto uplink = m_uplinks.find(node->Id());
    if (uplink == m_uplinks.end()) return;
    const int socket = transmission.from_socket;
    uplink->second->Enqueue(socket, std::move(transmission));
}

SimTime Network::OneWayDelay(const Node* from, uint32_t to_ipv4) {
    if (to_ipv4 == from->IPv4()) return 0;
    const LinkEmulation& link = from->Link();
    int64_t delay = static_cast<int64_t>(Ms(link.delay_ms));
    if (link.jitter_ms) {
        const int64_t span = static_cast<int64_t>(Ms(link.jitter_ms));
        delay += static_cast<int64_t>(m_random.Below(static_cast<uint64_t>(2 * span + 1))) - span;
    }
    return delay > 0 ? static_cast<SimTime>(delay) : 0;
}

SimTime Network::RetransmitDelay(Node* from, uint32_t to_ipv4, uint64_t bytes) {
    const LinkEmulation& link = from->Link();
    if (link.loss_percent <= 0 || to_ipv4 == from->IPv4()) return 0;
    // Each lost segment is sent again after a retransmission time-out: a round trip over the
    // floor, which the rest of the connection's data waits behind.
    const SimTime timeout = Ms(kMinRetransmitMs) + 2 * Ms(link.delay_ms);
    const uint64_t segments = bytes ? (bytes + kSegmentBytes - 1) / kSegmentBytes : 1;
    SimTime delay = 0;
    for (uint64_t i = 0; i < segments; ++i) {
        if (!m_random.Chance(link.loss_percent)) continue;
        delay += timeout;
        ++from->Traffic().segments_retransmitted;
    }
    return delay;
}

void Network::Propagate(Node* node, Transmission&& transmission) {
    const SimTime now = m_events.Now();
    if (transmission.kind == Transmission::kDatagram) {
        const uint32_t to_ipv4 = SocketAddressIPv4(transmission.to);
        const bool loopback = to_ipv4 == node->IPv4();
        if (!loopback && node->Link().loss_percent > 0 && m_random.Chance(node->Link().loss_percent)) {
            ++node->Traffic().datagrams_lost;
            return;
        }
        m_events.Schedule(now + OneWayDelay(node, to_ipv4),
                          [this, t = std::move(transmission)]() mutable { DatagramArrives(std::move(t)); });
        return;
    }
    const SimSocket* to = FindAny(transmission.to_socket);
    if (!to) return;  // the far end is gone; nothing answers
    SimTime at = now + OneWayDelay(node, to->ipv4) + RetransmitDelay(node, to->ipv4, transmission.WireBytes());
    SimTime& last = m_last_arrival[transmission.from_socket];
    if (at < last) at = last;
    last = at;
    if (transmission.kind == Transmission::kEnd) m_last_arrival.erase(transmission.from_socket);
    m_events.Schedule(at, [this, t = std::move(transmission)]() mutable { Arrive(std::move(t)); });
}

void Network::CountSent(Node* node, const SimSocket& socket, const uint8_t* data, uint32_t length) {
    TrafficCounters& traffic = node->Traffic();
    if (socket.kind == SocketKind::kFramed)
        (IsPieceFrame(data, length) ? traffic.piece_sent : traffic.control_sent) += length;
    else if (socket.IsRawStream())
        traffic.stream_sent += length;
    else
        traffic.control_sent += length;
}

void Network::CountReceived(Node* node, const SimSocket& socket, const Transmission& t) {
    TrafficCounters& traffic = node->Traffic();
    const uint32_t length = static_cast<uint32_t>(t.bytes.size());
    if (t.kind == Transmission::kFrame)
        (IsPieceFrame(t.bytes.data(), length) ? traffic.piece_received : traffic.control_received) += length;
    else if (socket.IsRawStream())
        traffic.stream_received += length;
    else
        traffic.control_received += length;
}

// ---------------------------------------------------------------------------------------------
// Arriving and receiving

void Network::Arrive(Transmission&& transmission) {
    SimSocket* s = FindAny(transmission.to_socket);
    if (!s || s->closed || s->end_delivered || !s->node->Alive()) return;
    CountReceived(s->node, *s, transmission);
    s->inbox.push_back(std::move(transmission));
    Pump(*s);
}

void Network::DatagramArrives(Transmission&& transmission) {
    auto bound = m_bound.find({SocketAddressIPv4(transmission.to), SocketAddressPort(transmission.to), true});
    SimSocket* s = bound == m_bound.end() ? nullptr : FindAny(bound->second);
    if (!s || s->closed || !s->node->Alive() || s->datagrams.size() >= kDatagramQueue) return;
    CountReceived(s->node, *s, transmission);
    s->datagrams.push_back(std::move(transmission));
    Pump(*s);
}

bool Network::StartReceive(Node* node, int socket) {
    SimSocket* s = Find(node, socket);
    if (!s || s->kind != SocketKind::kFramed || s->closed || s->end_delivered) return false;
    ++s->arms;
    Pump(*s);
    return true;
}

bool Network::StreamStartReceive(Node* node, int socket) {
    SimSocket* s = Find(node, socket);
    if (!s || !s->IsRawStream() || s->closed || s->end_delivered) return false;
    s->reading = true;
    Pump(*s);
    return true;
}

bool Network::PostReceiveFrom(Node* node, int socket, uint32_t max_length) {
    SimSocket* s = Find(node, socket);
    if (!s || s->kind != SocketKind::kDatagram || s->closed) return false;
    s->receive_arms.push_back(max_length);
    Pump(*s);
    return true;
}

bool Network::FreeBuffer(void* buffer) {
    if (!buffer) return true;
    NetBufferInfo info;
    if (!FreeNetBuffer(buffer, &info)) return false;
    if (info.stream_socket) {
        if (SimSocket* s = FindAny(info.stream_socket)) {
            if (s->unfreed > 0) --s->unfreed;
            PumpLater(info.stream_socket);
        }
    }
    return true;
}

void Network::PumpLater(int socket) {
    m_events.After(0, [this, socket] {
        if (SimSocket* s = FindAny(socket)) Pump(*s);
    });
}

void Network::Pump(SimSocket& socket) {
    if (socket.closed || !socket.node->Alive()) return;
    if (socket.kind == SocketKind::kFramed)
        PumpFramed(socket);
    else if (socket.IsRawStream())
        PumpStream(socket);
    else if (socket.kind == SocketKind::kDatagram)
        PumpDatagrams(socket);
}

void Network::PumpFramed(SimSocket& s) {
    while (s.arms > 0 && !s.inbox.empty() && !s.end_delivered) {
        Transmission t = std::move(s.inbox.front());
        s.inbox.pop_front();
        --s.arms;
        if (t.kind == Transmission::kEnd) {
            s.end_delivered = true;
            PostEvent(s, MSG_NET_CLOSED, t.end_code);
            return;
        }
        const uint32_t length = static_cast<uint32_t>(t.bytes.size());
        uint8_t* buffer = NewNetBuffer(s.node, length, false);
        if (length) std::memcpy(buffer, t.bytes.data(), length);
        PostEvent(s, MSG_NET_DATA, Word(buffer), length);
    }
}

void Network::PumpStream(SimSocket& s) {
    while (s.reading && s.unfreed < kStreamUnfreedLimit && !s.inbox.empty() && !s.end_delivered) {
        Transmission& front = s.inbox.front();
        if (front.kind == Transmission::kEnd) {
            const uint32_t code = front.end_code;
            s.inbox.pop_front();
            s.end_delivered = true;
            PostEvent(s, MSG_STREAM_CLOSED, code);
            return;
        }
        const uint32_t chunk =
            std::min<uint32_t>(kStreamChunk, static_cast<uint32_t>(front.bytes.size() - s.front_offset));
        uint8_t* buffer = NewNetBuffer(s.node, chunk, false, s.id);
        if (chunk) std::memcpy(buffer, front.bytes.data() + s.front_offset, chunk);
        s.front_offset += chunk;
        if (s.front_offset >= front.bytes.size()) {
            s.inbox.pop_front();
            s.front_offset = 0;
        }
        ++s.unfreed;
        PostEvent(s, MSG_STREAM_DATA, Word(buffer), chunk);
    }
}

void Network::PumpDatagrams(SimSocket& s) {
    while (!s.receive_arms.empty() && !s.datagrams.empty()) {
        Transmission t = std::move(s.datagrams.front());
        s.datagrams.pop_front();
        const uint32_t length = static_cast<uint32_t>(t.bytes.size());
        if (length > s.receive_arms.front()) continue;  // too long: dropped, the arm stays
        s.receive_arms.pop_front();
        uint8_t* buffer = NewNetBuffer(s.node, length, true);
        if (length) std::memcpy(buffer, t.bytes.data(), length);
        NetSockAddr* sender = NetBufferAddress(buffer);
        *sender = t.from;
        PostEvent(s, MSG_NET_DATAGRAM, Word(buffer), length, Word(sender));
    }
}

void Network::PostEvent(SimSocket& socket, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3) {
    const FrameworkMessage msg{Word(socket.handler), static_cast<uint32_t>(socket.id), id, p1, p2, p3, 0, 0};
    // Resolved now: a socket without a handler drops the event and what it carries.
    if (socket.closed || !socket.handler || !socket.node->Alive()) {
        Release(socket.node, msg);
        return;
    }
    m_dispatch.Post(socket.node, msg);
}

void Network::Release(Node* node, const FrameworkMessage& msg) {
    switch (msg.id) {
        case MSG_NET_DATA:
        case MSG_STREAM_DATA:
            FreeBuffer(Pointer(msg.p1));
            break;
        case MSG_NET_DATAGRAM:
            if (msg.p4 == 0) FreeBuffer(Pointer(msg.p1));
            break;
        case MSG_NET_ACCEPT:
            Destroy(node, static_cast<int>(msg.p1));
            break;
        case MSG_CONNECTION_HANDOVER:
            Destroy(node, static_cast<int>(msg.p1));
            FreeBuffer(Pointer(msg.p2));
            break;
        default:
            break;
    }
}

}  // namespace sim

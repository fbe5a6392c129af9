#include "io/net_socket.h"

#include "engine_tables.h"
#include "message_ids.h"
#include "platform.h"

CNetSocket::CNetSocket() : m_id(-1), m_sink(&CSocketEventSink::Null()) {}

CNetSocket::~CNetSocket() {
    Close();
}

int CNetSocket::OnMessage(FrameworkMessage*) {
    return 0;
}

int CNetSocket::DispatchConnectionEvent(const FrameworkMessage& msg, uint32_t data_id, uint32_t closed_id) {
    const uint32_t id = msg.id;
    const uint32_t p1 = msg.p1;
    const uint32_t p2 = msg.p2;
    CSocketEventSink* sink = m_sink;
    if (id == data_id) {
        void* buffer = reinterpret_cast<void*>(static_cast<uintptr_t>(p1));
        if (buffer && p2 > 0) sink->OnData(this, static_cast<const uint8_t*>(buffer), p2);
        NetFreeBuffer(buffer);
    } else if (id == closed_id) {
        sink->OnClosed(this, p1);
    } else if (id == MSG_NET_CONNECTED) {
        sink->OnConnected(this);
    } else if (id == MSG_NET_CONNECT_FAILED) {
        sink->OnConnectFailed(this, p1);
    }
    return 0;
}

bool CNetSocket::Send(const void*, uint32_t) {
    return false;
}

bool CNetSocket::StartReceive() {
    return false;
}

void CNetSocket::Attach(int socket_id) {
    m_id = socket_id;
    if (socket_id >= 0) NetSetHandler(socket_id, this);
}

void CNetSocket::Close() {
    if (m_id < 0) return;
    NetClose(m_id);
    NetDestroySocket(m_id);
    m_id = -1;
}

int CNetSocket::Detach() {
    int id = m_id;
    m_id = -1;
    return id;
}

bool CNetSocket::Connect(const NetSockAddr& to) {
    return NetConnect(m_id, &to) != 0;
}

bool CNetSocket::Connect(uint32_t ipv4_be, uint16_t port) {
    NetSockAddr to{};
    to.family = 2;
    to.port_be = static_cast<uint16_t>((port >> 8) | (port << 8));
    to.addr_be = ipv4_be;
    return Connect(to);
}

bool CNetSocket::PeerAddress(NetSockAddr* out) const {
    return NetGetPeerAddress(m_id, out) == 0;
}

bool CNetSocket::LocalAddress(NetSockAddr* out) const {
    return NetGetLocalAddress(m_id, out) == 0;
}

int CNetSocket::PendingSends() const {
    return NetPendingSendCount(m_id);
}

int CNetSocket::SetValue(int value) {
    return NetSetSocketValue(m_id, value);
}

int CNetSocket::OpenConnections() {
    return NetConnectionCount();
}

void CNetSocket::SetSink(CSocketEventSink* sink) {
    m_sink = sink ? sink : &CSocketEventSink::Null();
}

void CNetSocket::DropLastError() {
    (void)platform::LastError();
}

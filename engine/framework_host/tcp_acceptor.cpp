#include "tcp_acceptor.h"

#include "block_bytes.h"
#include "engine_tables.h"
#include "engine_tick.h"
#include "frame_routing.h"
#include "framework_manager.h"
#include "message_ids.h"
#include "udp_receiver.h"

namespace {
void CloseConnection(int socket) {
    NetClose(socket);
    NetDestroySocket(socket);
}
}  // namespace

CTcpAcceptor::CTcpAcceptor(CFrameworkManager& manager) : m_manager(manager) {}

CTcpAcceptor::~CTcpAcceptor() {
    CoreKillTimer(m_sweep_timer);
    m_sweep_timer = -1;
    for (int socket : m_waiting.TakeAll()) CloseConnection(socket);
}

int CTcpAcceptor::OnMessage(FrameworkMessage* msg) {
    switch (msg->id) {
        case MSG_NET_ACCEPT: OnAccept(msg->p1); break;
        case MSG_NET_DATA: OnFirstData(*msg); break;
        case MSG_NET_CLOSED: OnClosed(*msg); break;
        case MSG_FRAMEWORK_TIMER: SweepSilent(); break;
        default: break;
    }
    return 0;
}

void CTcpAcceptor::BlockAddress(uint32_t ipv4_be) {
    m_blocked.Block(ipv4_be, EngineTick());
}

void CTcpAcceptor::OnAccept(uint32_t socket_word) {
    const int socket = static_cast<int>(socket_word);
    NetSockAddr peer{};
    NetGetPeerAddress(socket, &peer);
    if (m_blocked.IsBlocked(peer.addr_be, EngineTick())) {
        NetDestroySocket(socket);
        return;
    }
    const int evicted = m_waiting.Add(socket, EngineTick());
    if (evicted != WaitingConnections::kNone) {
        CloseConnection(evicted);
        ++m_evicted;
    }
    NetSetHandler(socket, this);
    EnsureSweepTimer();
    if (!NetStartReceive(socket)) {
        m_waiting.Remove(socket);
        CloseConnection(socket);
    }
}

void CTcpAcceptor::OnFirstData(const FrameworkMessage& msg) {
    const int socket = static_cast<int>(msg.sender);
    void* buffer = FromWord<void>(msg.p1);
    // A socket already handed over is the component's: whatever still reaches us is dropped.
    if (!m_waiting.Remove(socket)) {
        NetFreeBuffer(buffer);
        return;
    }
    const auto* data = static_cast<const uint8_t*>(buffer);
    const uint8_t* guid = RoutingGuid(data, msg.p2);
    const int row = guid ? m_manager.Components().FindByGuid(guid) : -1;
    HandOverFirstFrame(msg, row >= 0, row >= 0 ? m_manager.Components().Row(row).handle : 0);
}

void CTcpAcceptor::OnClosed(const FrameworkMessage& msg) {
    const int socket = static_cast<int>(msg.sender);
    if (m_waiting.Remove(socket)) CloseConnection(socket);
}

void CTcpAcceptor::EnsureSweepTimer() {
    if (m_sweep_timer < 0) m_sweep_timer = CoreSetTimer(kSweepMs, 1, AsTarget(), AsTarget(), MSG_FRAMEWORK_TIMER);
}

// One log line per sweep, whatever the count: a flood must not turn into a flood of lines.
void CTcpAcceptor::SweepSilent() {
    const std::vector<int> silent = m_waiting.TakeSilent(EngineTick());
    for (int socket : silent) CloseConnection(socket);
    if (!silent.empty()) CoreLogPrintf("%u connections sent nothing for 30 s; closed", static_cast<unsigned>(silent.size()));
    if (m_evicted) {
        CoreLogPrintf("%u connections waiting for data pushed out by newer ones", m_evicted);
        m_evicted = 0;
    }
}

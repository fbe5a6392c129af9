#include "net_request.h"

#include <cstring>
#include <new>
#include <set>

#include "block_bytes.h"
#include "engine_tables.h"
#include "framework_manager.h"
#include "message_ids.h"

namespace {
// The requests alive, so that a component's deletion can reach the ones it owns. Touched on the
// loop thread only (and by the stop, after the loop has ended). Never freed.
std::set<CNetRequest*>& LiveRequests() {
    static auto* live = new std::set<CNetRequest*>;
    return *live;
}

uint16_t NetworkOrder16(int port) {
    const auto p = static_cast<uint16_t>(port);
    return static_cast<uint16_t>((p >> 8) | (p << 8));
}
}  // namespace

CNetRequest::CNetRequest(CMessageObject* owner, uint32_t ipv4_be, int port, const void* data, uint32_t length)
    : m_owner(owner), m_length(length) {
    m_peer.family = 2;
    m_peer.port_be = NetworkOrder16(port);
    m_peer.addr_be = ipv4_be;
    m_data = CoreAlloc(length);
    if (m_data && data && length) std::memcpy(m_data, data, length);
    LiveRequests().insert(this);
}

CNetRequest::~CNetRequest() {
    LiveRequests().erase(this);
    if (m_socket >= 0) NetDestroySocket(m_socket);
    CoreFree(m_data);
    CoreKillTimer(m_timer);
}

void CNetRequest::Start(uint32_t timeout_ms) {
    if (!m_data) {
        Finish(NET_REQUEST_NO_SOCKET);
        return;
    }
    m_socket = NetCreateSocket(kNetKindTcp);
    if (m_socket < 0) {
        Finish(NET_REQUEST_NO_SOCKET);
        return;
    }
    NetSetHandler(m_socket, this);
    if (!NetConnect(m_socket, &m_peer)) {
        Finish(NET_REQUEST_CONNECT_FAILED);
        return;
    }
    m_timer = CoreSetTimer(timeout_ms, 0, AsTarget(), AsTarget(), MSG_FRAMEWORK_TIMER);
}

int CNetRequest::OnMessage(FrameworkMessage* msg) {
    if (m_reported) {
        // Reported already: later events only give back what they carry.
        if (msg->id == MSG_NET_DATA) NetFreeBuffer(FromWord<void>(msg->p1));
        return 0;
    }
    switch (msg->id) {
        case MSG_NET_CONNECTED: OnConnected(); break;
        case MSG_NET_CONNECT_FAILED: Finish(NET_REQUEST_CONNECT_FAILED); break;
        case MSG_NET_DATA: OnData(*msg); break;
        case MSG_NET_CLOSED: Finish(NET_REQUEST_CLOSED); break;
        case MSG_FRAMEWORK_TIMER: Finish(NET_REQUEST_TIMED_OUT); break;
        default: break;
    }
    return 0;
}

void CNetRequest::OnConnected() {
    if (!NetSend(m_socket, m_data, m_length)) {
        Finish(NET_REQUEST_CLOSED);
        return;
    }
    if (!NetStartReceive(m_socket)) Finish(NET_REQUEST_CLOSED);
}

void CNetRequest::OnData(const FrameworkMessage& msg) {
    void* buffer = FromWord<void>(msg.p1);
    const uint32_t length = msg.p2;
    m_reported = true;
    CoreKillTimer(m_timer);
    m_timer = -1;
    if (m_owner) {
        auto* reply = static_cast<uint8_t*>(CoreAlloc(length + sizeof(NetSockAddr)));
        if (reply) {
            if (length) std::memcpy(reply, buffer, length);
            std::memcpy(reply + length, &m_peer, sizeof(m_peer));
            if (!CorePostMessage(m_owner->AsTarget(), AsTarget(), MSG_NET_DATAGRAM, ToWord(reply), length,
                                 ToWord(reply + length), 1)) {
                CoreFree(reply);
            }
        } else {
            CorePostMessage(m_owner->AsTarget(), AsTarget(), MSG_NET_FAILED, NET_REQUEST_CLOSED);
        }
    }
    NetFreeBuffer(buffer);
    DeleteSelf();
}

void CNetRequest::Finish(uint32_t code) {
    m_reported = true;
    CoreKillTimer(m_timer);
    m_timer = -1;
    if (m_owner) CorePostMessage(m_owner->AsTarget(), AsTarget(), MSG_NET_FAILED, code);
    DeleteSelf();
}

void CNetRequest::DeleteSelf() {
    CFrameworkManager* manager = TheFrameworkManager();
    CorePostMessage(manager ? manager->AsTarget() : 0, AsTarget(), MSG_DELETE_OBJECT, AsTarget());
}

extern "C" void* ENGINE_CALL CreateNetRequest(void* owner, uint32_t ipv4_be, int port, uint32_t timeout_ms,
                                              const void* data, uint32_t length) {
    try {
        auto* request = new (std::nothrow)
            CNetRequest(static_cast<CMessageObject*>(owner), ipv4_be, port, data, length);
        if (!request) return nullptr;
        request->Start(timeout_ms);
        return request;
    } catch (...) {
        return nullptr;
    }
}

void ForgetRequestOwner(const void* owner) {
    if (!owner) return;
    for (CNetRequest* request : LiveRequests()) {
        if (request->Owner() == owner) request->ForgetOwner();
    }
}

void DeleteAllNetRequests() {
    while (!LiveRequests().empty()) delete *LiveRequests().begin();
}

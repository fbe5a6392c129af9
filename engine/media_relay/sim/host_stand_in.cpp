#include "host_stand_in.h"

#include <cstring>

#include "engine_tables.h"
#include "frame_routing.h"
#include "message_ids.h"
#include "peers/peer_address.h"

namespace sim {

namespace {

uint32_t Word(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

template <class T>
T* Pointer(uint32_t word) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(word));
}

constexpr uint32_t kRequestFailed = 2;  // the framework's "connect failed" code of a request

char g_request_token;

void* ENGINE_CALL FailingRequest(void* owner, uint32_t, int, uint32_t, const void*, uint32_t) {
    auto* requester = static_cast<CMessageObject*>(owner);
    if (requester) CorePostMessage(requester->AsTarget(), Word(&g_request_token), MSG_NET_FAILED, kRequestFailed);
    return &g_request_token;
}

uint16_t LocalPort(int socket) {
    NetSockAddr local{};
    NetGetLocalAddress(socket, &local);
    return SocketAddressPort(local);
}

void CloseConnection(int socket) {
    NetClose(socket);
    NetDestroySocket(socket);
}

}  // namespace

HostStandIn::HostStandIn(uint16_t tcp_port, uint16_t udp_port) {
    m_udp = NetCreateBoundSocket(kNetKindUdp, udp_port);
    m_listener = NetCreateBoundSocket(kNetKindTcp, tcp_port);
    if (m_udp >= 0) {
        m_udp_port = LocalPort(m_udp);
        NetSetHandler(m_udp, this);
        NetPostReceiveFrom(m_udp, kReceiveSize);
    }
    if (m_listener >= 0) {
        m_tcp_port = LocalPort(m_listener);
        NetSetHandler(m_listener, this);
    }
}

HostStandIn::~HostStandIn() {
    for (int socket : m_waiting) CloseConnection(socket);
    if (m_listener >= 0) NetDestroySocket(m_listener);
    if (m_udp >= 0) NetDestroySocket(m_udp);
}

CreateNetRequestFn HostStandIn::RequestFactory() {
    return &FailingRequest;
}

void HostStandIn::SetComponent(const uint8_t* guid, uint32_t handle) {
    std::memcpy(m_guid, guid, sizeof(m_guid));
    m_component = handle;
}

bool HostStandIn::NamesComponent(const uint8_t* data, uint32_t length) const {
    const uint8_t* guid = RoutingGuid(data, length);
    return m_component && guid && std::memcmp(guid, m_guid, sizeof(m_guid)) == 0;
}

int HostStandIn::OnMessage(FrameworkMessage* msg) {
    switch (msg->id) {
        case MSG_NET_DATAGRAM: RouteDatagram(*msg); break;
        case MSG_NET_ACCEPT: Accept(static_cast<int>(msg->p1)); break;
        case MSG_NET_DATA: FirstFrame(*msg); break;
        case MSG_NET_CLOSED: Closed(static_cast<int>(msg->sender)); break;
        default: break;
    }
    return 0;
}

void HostStandIn::RouteDatagram(const FrameworkMessage& msg) {
    // The component frees a buffer handed to it; any other is freed here.
    if (!NamesComponent(Pointer<const uint8_t>(msg.p1), msg.p2) ||
        !CorePostMessage(m_component, msg.sender, msg.id, msg.p1, msg.p2, msg.p3, msg.p4))
        NetFreeBuffer(Pointer<void>(msg.p1));
    NetPostReceiveFrom(m_udp, kReceiveSize);
}

void HostStandIn::Accept(int socket) {
    m_waiting.insert(socket);
    NetSetHandler(socket, this);
    if (!NetStartReceive(socket)) Closed(socket);
}

void HostStandIn::FirstFrame(const FrameworkMessage& msg) {
    const int socket = static_cast<int>(msg.sender);
    void* buffer = Pointer<void>(msg.p1);
    if (!m_waiting.erase(socket)) {
        NetFreeBuffer(buffer);
        return;
    }
    HandOverFirstFrame(msg, NamesComponent(static_cast<const uint8_t*>(buffer), msg.p2), m_component);
}

void HostStandIn::Closed(int socket) {
    if (m_waiting.erase(socket)) CloseConnection(socket);
}

}  // namespace sim

#include "datagram_endpoint.h"

#include "engine_tables.h"
#include "message_ids.h"
#include "peers/peer_address.h"

namespace sim {

DatagramEndpoint::DatagramEndpoint(uint16_t port, Receive receive) : m_receive(std::move(receive)) {
    m_socket = NetCreateBoundSocket(kNetKindUdp, port);
    if (m_socket < 0) return;
    NetSockAddr local{};
    NetGetLocalAddress(m_socket, &local);
    m_port = SocketAddressPort(local);
    NetSetHandler(m_socket, this);
    NetPostReceiveFrom(m_socket, kReceiveSize);
}

DatagramEndpoint::~DatagramEndpoint() {
    if (m_socket >= 0) NetDestroySocket(m_socket);
}

bool DatagramEndpoint::SendTo(const uint8_t* data, uint32_t length, const NetSockAddr& to) {
    return m_socket >= 0 && NetSendTo(m_socket, data, length, &to) != 0;
}

int DatagramEndpoint::OnMessage(FrameworkMessage* msg) {
    if (msg->id != MSG_NET_DATAGRAM) return 0;
    auto* data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(msg->p1));
    const auto* from = reinterpret_cast<const NetSockAddr*>(static_cast<uintptr_t>(msg->p3));
    NetPostReceiveFrom(m_socket, kReceiveSize);
    if (data && from) m_receive(data, msg->p2, *from);
    NetFreeBuffer(data);
    return 0;
}

}  // namespace sim

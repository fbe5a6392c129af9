#include "io/tcp_socket.h"

#include "engine_tables.h"
#include "message_ids.h"

CTcpSocket::CTcpSocket() {
    int id = NetCreateSocket(kNetKindTcp);
    if (id >= 0) Attach(id);
}

CTcpSocket::CTcpSocket(int socket_id) {
    Attach(socket_id);
}

int CTcpSocket::OnMessage(FrameworkMessage* msg) {
    return DispatchConnectionEvent(*msg, MSG_NET_DATA, MSG_NET_CLOSED);
}

bool CTcpSocket::Send(const void* data, uint32_t length) {
    int result = NetSend(m_id, data, length);
    if (!result) DropLastError();
    return result != 0;
}

bool CTcpSocket::StartReceive() {
    int result = NetStartReceive(m_id);
    if (!result) DropLastError();
    return result != 0;
}

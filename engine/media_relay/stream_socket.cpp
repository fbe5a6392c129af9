#include "stream_socket.h"

#include "engine_tables.h"
#include "message_ids.h"

CStreamSocket::CStreamSocket(int socket_id) {
    Attach(socket_id);
}

int CStreamSocket::OnMessage(FrameworkMessage* msg) {
    // The sink may delete this socket inside any call: only locals are used after it.
    const uint32_t id = msg->id;
    const uint32_t p1 = msg->p1;
    const uint32_t p2 = msg->p2;
    CSocketEventSink* sink = m_sink;
    switch (id) {
    case MSG_STREAM_DATA: {
        void* buffer = reinterpret_cast<void*>(static_cast<uintptr_t>(p1));
        sink->OnData(this, static_cast<const uint8_t*>(buffer), p2);
        NetFreeBuffer(buffer);
        break;
    }
    case MSG_STREAM_CLOSED:
        sink->OnClosed(this, p1);
        break;
    case MSG_NET_CONNECTED:
        sink->OnConnected(this);
        break;
    case MSG_NET_CONNECT_FAILED:
        sink->OnConnectFailed(this, p1);
        break;
    default:
        break;
    }
    return 0;
}

bool CStreamSocket::Send(const void* data, uint32_t length) {
    int result = NetStreamSend(m_id, data, length);
    if (!result) DropLastError();
    return result != 0;
}

bool CStreamSocket::StartReceive() {
    int result = NetStreamStartReceive(m_id);
    if (!result) DropLastError();
    return result != 0;
}

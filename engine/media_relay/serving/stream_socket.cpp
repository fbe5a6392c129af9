#include "serving/stream_socket.h"

#include "engine_tables.h"
#include "message_ids.h"

CStreamSocket::CStreamSocket(int socket_id) {
    Attach(socket_id);
}

int CStreamSocket::OnMessage(FrameworkMessage* msg) {
    return DispatchConnectionEvent(*msg, MSG_STREAM_DATA, MSG_STREAM_CLOSED);
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

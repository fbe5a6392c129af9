#include "io/listen_socket.h"

#include "engine_tables.h"
#include "message_ids.h"

int CListenSocket::Open(uint32_t port) {
    Attach(NetCreateBoundSocket(kNetKindStream, static_cast<int>(port & 0xFFFF)));
    return m_id;
}

int CListenSocket::OnMessage(FrameworkMessage* msg) {
    const uint32_t id = msg->id;
    const uint32_t p1 = msg->p1;
    CSocketEventSink* sink = m_sink;
    if (id == MSG_NET_ACCEPT) {
        const int new_id = static_cast<int>(p1);
        NetSockAddr peer{};
        NetGetPeerAddress(new_id, &peer);
        if (!sink->OnAccept(this, new_id, &peer)) {
            NetClose(new_id);
            NetDestroySocket(new_id);
        }
    } else if (id == MSG_NET_LISTEN_EVENT) {
        sink->OnListenEvent(this, p1);
    }
    return 0;
}

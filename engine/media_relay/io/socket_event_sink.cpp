#include "io/socket_event_sink.h"

int CSocketEventSink::OnAccept(CListenSocket*, int, const NetSockAddr*) {
    return 0;
}
void CSocketEventSink::OnListenEvent(CListenSocket*, uint32_t) {}
void CSocketEventSink::OnConnected(CNetSocket*) {}
void CSocketEventSink::OnConnectFailed(CNetSocket*, uint32_t) {}
void CSocketEventSink::OnData(CNetSocket*, const uint8_t*, uint32_t) {}
void CSocketEventSink::OnClosed(CNetSocket*, uint32_t) {}

CSocketEventSink& CSocketEventSink::Null() {
    static CSocketEventSink null_sink;
    return null_sink;
}

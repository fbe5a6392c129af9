// What a socket's owner hears from its socket. Connection sockets report connect results,
// data and the close; listening sockets report accepted connections and listener errors.
// Every operation does nothing by default, so an owner overrides only what its sockets send.
#pragma once

#include <cstdint>

#include "outside_abi.h"

class CNetSocket;
class CListenSocket;

class CSocketEventSink {
public:
    virtual ~CSocketEventSink() = default;

    // Listening sockets. Nonzero keeps the new connection; 0 makes the listener close it.
    virtual int OnAccept(CListenSocket* listener, int socket_id, const NetSockAddr* peer);
    virtual void OnListenEvent(CListenSocket* listener, uint32_t error);

    // Connection sockets. The owner may delete the socket inside any of these.
    virtual void OnConnected(CNetSocket* socket);
    virtual void OnConnectFailed(CNetSocket* socket, uint32_t error);
    virtual void OnData(CNetSocket* socket, const uint8_t* data, uint32_t length);
    virtual void OnClosed(CNetSocket* socket, uint32_t error);

    // Shared, stateless sink of every socket whose owner has not installed itself.
    static CSocketEventSink& Null();
};

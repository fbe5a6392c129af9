// A network-library socket owned by a message object: the library posts the socket's events
// to this object, which hands them to its event sink. The socket is closed and destroyed
// with the object.
//
// Ownership: a connection socket has one owner, the object holding it (a std::unique_ptr in a
// pending connect or a transfer, a player session's waiting set or client map), and that owner
// is its sink. The sink may delete the socket inside any event call, so the socket touches
// nothing of itself once it has handed an event on, and a sink never uses a socket after a call
// in which it may have deleted it. A sink that hears from a socket it holds no record of is the
// last one to know it and deletes it.
#pragma once

#include <cstdint>

#include "io/socket_event_sink.h"
#include "message_object.h"

class CNetSocket : public CMessageObject {
public:
    CNetSocket();
    ~CNetSocket() override;

    int OnMessage(FrameworkMessage* msg) override;
    virtual bool Send(const void* data, uint32_t length);
    virtual bool StartReceive();

    // Stores the id, also a negative failure code; only an id >= 0 gets this object as handler.
    void Attach(int socket_id);
    void Close();
    // Gives up the id without closing it; the object then holds none.
    int Detach();
    bool IsOpen() const { return m_id >= 0; }
    int Id() const { return m_id; }

    bool Connect(const NetSockAddr& to);
    // ipv4_be in network order, port in host order.
    bool Connect(uint32_t ipv4_be, uint16_t port);
    bool PeerAddress(NetSockAddr* out) const;
    bool LocalAddress(NetSockAddr* out) const;
    int PendingSends() const;
    int SetValue(int value);
    static int OpenConnections();

    void SetSink(CSocketEventSink* sink);
    CSocketEventSink* Sink() const { return m_sink; }

protected:
    // Reads and drops the platform's socket error after a refused call.
    static void DropLastError();
    // Hands one event of a connection to the sink: data (buffer freed afterwards), close,
    // connect result. The sink may delete this socket inside any call, so nothing of the
    // object is touched after it.
    int DispatchConnectionEvent(const FrameworkMessage& msg, uint32_t data_id, uint32_t closed_id);

    int32_t m_id;
    CSocketEventSink* m_sink;
};

// A message-framed TCP connection: each received buffer is one whole message, and receiving
// is armed one message at a time.
#pragma once

#include <cstdint>

#include "io/net_socket.h"

class CTcpSocket : public CNetSocket {
public:
    // A new, unconnected socket; the id stays -1 when the library could not make one.
    CTcpSocket();
    explicit CTcpSocket(int socket_id);

    int OnMessage(FrameworkMessage* msg) override;
    bool Send(const void* data, uint32_t length) override;
    bool StartReceive() override;
};

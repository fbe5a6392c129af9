// An accepted player connection: a raw byte stream, read continuously once started.
#pragma once

#include <cstdint>

#include "io/net_socket.h"

class CStreamSocket : public CNetSocket {
public:
    explicit CStreamSocket(int socket_id);

    int OnMessage(FrameworkMessage* msg) override;
    bool Send(const void* data, uint32_t length) override;
    bool StartReceive() override;
};

// A local listener for media players (a raw byte-stream listener of the network library).
// Each accepted connection is offered to the sink; a refused one is closed at once.
#pragma once

#include <cstdint>

#include "io/net_socket.h"

class CListenSocket : public CNetSocket {
public:
    // Returns the library's result: the socket id, or its negative failure code, which the
    // object then holds (IsOpen() is false).
    int Open(uint32_t port);
    int OnMessage(FrameworkMessage* msg) override;
};

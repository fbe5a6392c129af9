// The NetTable entries. Each runs under the table lock on the caller's thread, only starts
// work, and catches everything: no exception leaves an entry.
#pragma once

#include "outside_abi.h"

namespace kuz {

int ENGINE_CALL NetStartup(uint32_t, uint32_t);
int ENGINE_CALL NetCleanup();
int ENGINE_CALL NetCreateBoundSocket(int kind, int port, uint32_t);
int ENGINE_CALL NetCreateSocket(int kind, int, uint32_t);
int ENGINE_CALL NetConnect(int socket, const NetSockAddr* to);
int ENGINE_CALL NetSetHandler(int socket, void* handler);
int ENGINE_CALL NetClose(int socket);
int ENGINE_CALL NetSend(int socket, const void* data, uint32_t length);
int ENGINE_CALL NetStartReceive(int socket);
int ENGINE_CALL NetStreamStartReceive(int socket);
int ENGINE_CALL NetSendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to);
int ENGINE_CALL NetPostReceiveFrom(int socket, uint32_t max_length);
int ENGINE_CALL NetFreeBuffer(void* buffer);
int ENGINE_CALL NetDestroySocket(int socket);
int ENGINE_CALL NetConnectionCount();
int ENGINE_CALL NetGetPeerAddress(int socket, NetSockAddr* address, int length);
int ENGINE_CALL NetGetLocalAddress(int socket, NetSockAddr* address, int length);
int ENGINE_CALL NetPendingSendCount(int socket);
int ENGINE_CALL NetStreamSend(int socket, const void* data, uint32_t length);
int ENGINE_CALL NetSetSocketValue(int socket, int value);

}  // namespace kuz

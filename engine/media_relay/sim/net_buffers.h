// The network library's receive buffers: data delivered in a message belongs to its receiver
// until NetFreeBuffer. Each buffer is one allocation with a small header in front (its owner
// node, the stream socket to credit and the length), so a free finds everything it needs and a
// foreign or repeated free is seen and refused.
#pragma once

#include <cstdint>

#include "outside_abi.h"

namespace sim {

class Node;

struct NetBufferInfo {
    Node* node = nullptr;
    int stream_socket = 0;  // a raw stream's socket whose read pause the free may lift, else 0
    uint32_t length = 0;
};

// `length` bytes of data, followed by a sender address when `with_address` (datagrams), in the
// same allocation as the network library lays them out.
uint8_t* NewNetBuffer(Node* node, uint32_t length, bool with_address, int stream_socket = 0);
// The sender address slot of a datagram buffer.
NetSockAddr* NetBufferAddress(uint8_t* buffer);
// Frees the buffer; false (nothing freed) when it is not a live network buffer.
bool FreeNetBuffer(void* buffer, NetBufferInfo* info);

}  // namespace sim

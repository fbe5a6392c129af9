#include "net_buffers.h"

#include <cstdlib>
#include <cstring>

#include "sim_node.h"

namespace sim {

namespace {

constexpr uint32_t kLiveMagic = 0x4B55424E;  // "NBUK"
constexpr uint32_t kFreedMagic = 0xDEADBEEF;

struct Header {
    uint32_t magic;
    uint32_t length;
    Node* node;
    int32_t stream_socket;
};
static_assert(sizeof(Header) == 16);

// The sender address follows the data at the next aligned offset.
uint32_t AddressOffset(uint32_t length) {
    return (length + 7u) & ~7u;
}

Header* HeaderOf(void* buffer) {
    return reinterpret_cast<Header*>(static_cast<uint8_t*>(buffer) - sizeof(Header));
}

}  // namespace

uint8_t* NewNetBuffer(Node* node, uint32_t length, bool with_address, int stream_socket) {
    const size_t size = sizeof(Header) + (with_address ? AddressOffset(length) + sizeof(NetSockAddr) : length);
    auto* header = static_cast<Header*>(std::malloc(size));
    header->magic = kLiveMagic;
    header->length = length;
    header->node = node;
    header->stream_socket = stream_socket;
    if (node) node->BufferHeld(length);
    return reinterpret_cast<uint8_t*>(header + 1);
}

NetSockAddr* NetBufferAddress(uint8_t* buffer) {
    return reinterpret_cast<NetSockAddr*>(buffer + AddressOffset(HeaderOf(buffer)->length));
}

bool FreeNetBuffer(void* buffer, NetBufferInfo* info) {
    if (!buffer) return false;
    Header* header = HeaderOf(buffer);
    if (header->magic != kLiveMagic) return false;
    header->magic = kFreedMagic;
    *info = NetBufferInfo{header->node, header->stream_socket, header->length};
    if (header->node) header->node->BufferFreed(header->length);
    std::free(header);
    return true;
}

}  // namespace sim

// Buffers handed to the engine in events (MSG_NET_DATA, MSG_STREAM_DATA, MSG_NET_DATAGRAM).
// Each sits behind a 16-byte header with a magic word, so NetFreeBuffer can reject pointers
// that are not ours. A buffer does not depend on its socket and may be freed after it is gone.
#pragma once

#include <cstdint>

namespace kuz {

constexpr uint32_t kBufferHeaderSize = 16;

struct BufferInfo {
    int owner_socket;   // stream socket whose unfreed count this buffer holds, 0 = none
    uint32_t capacity;  // bytes after the header
};

// Returns the data pointer (after the header), or null when out of memory.
uint8_t* AllocateBuffer(uint32_t capacity, int owner_socket = 0);
// Reads the header of a buffer; false when the pointer is not a live buffer of ours.
bool InspectBuffer(const void* data, BufferInfo* info);
// Poisons the header and releases the memory. The pointer must have passed InspectBuffer.
void ReleaseBuffer(void* data);

}  // namespace kuz

#include "net_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace kuz {

namespace {

constexpr uint32_t kLiveMagic = 0x4655424B;  // "KBUF"
constexpr uint32_t kFreedMagic = 0x44454546;

struct Header {
    uint32_t magic;
    uint32_t capacity;
    int32_t owner_socket;
    uint32_t reserved;
};
static_assert(sizeof(Header) == kBufferHeaderSize);

Header* HeaderOf(const void* data) {
    return reinterpret_cast<Header*>(const_cast<uint8_t*>(static_cast<const uint8_t*>(data)) - kBufferHeaderSize);
}

}  // namespace

uint8_t* AllocateBuffer(uint32_t capacity, int owner_socket) {
    auto* raw = static_cast<uint8_t*>(std::malloc(size_t{kBufferHeaderSize} + capacity + 1));
    if (!raw) return nullptr;
    Header h{kLiveMagic, capacity, owner_socket, 0};
    std::memcpy(raw, &h, sizeof(h));
    return raw + kBufferHeaderSize;
}

bool InspectBuffer(const void* data, BufferInfo* info) {
    if (!data) return false;
    const Header* h = HeaderOf(data);
    if (h->magic != kLiveMagic) return false;
    info->owner_socket = h->owner_socket;
    info->capacity = h->capacity;
    return true;
}

void ReleaseBuffer(void* data) {
    Header* h = HeaderOf(data);
    h->magic = kFreedMagic;
    std::free(h);
}

}  // namespace kuz

#include "memory_blocks.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "core_settings.h"
#include "engine_log.h"

namespace quib::memory_blocks {

namespace {

struct BlockHeader {
    uint8_t magic[4];
    uint32_t size;
    uint32_t reserved[2];
};
static_assert(sizeof(BlockHeader) == kHeaderSize);

constexpr uint8_t kLiveMagic[4] = {'Q', 'B', 'L', 'K'};
constexpr uint8_t kFreedMagic[4] = {'q', 'f', 'r', 'e'};
constexpr uint8_t kPoison = 0xDD;

struct BlockRegistry {
    std::mutex mutex;
    std::unordered_set<const void*> live;
    BlockHeader* quarantine[kQuarantineSize] = {};
    int next_slot = 0;
};

BlockRegistry& Registry() {
    static BlockRegistry* registry = new BlockRegistry;  // never destroyed
    return *registry;
}

BlockHeader* HeaderOf(void* block) {
    return reinterpret_cast<BlockHeader*>(static_cast<uint8_t*>(block) - kHeaderSize);
}

bool Exceeds(uint32_t size) {
    uint32_t limit;
    if (settings::AllocLimit(&limit) && size > limit) return true;
    return size > UINT32_MAX - kHeaderSize;
}

// Takes a freed block out of the live set and parks it; returns the block that leaves the
// quarantine (or null), to go back to the heap. False when block is no live core block.
bool Retire(BlockRegistry& registry, void* block, BlockHeader** evicted) {
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (registry.live.erase(block) == 0) return false;
    BlockHeader* header = HeaderOf(block);
    std::memset(block, kPoison, header->size);
    std::memcpy(header->magic, kFreedMagic, sizeof(header->magic));
    *evicted = registry.quarantine[registry.next_slot];
    registry.quarantine[registry.next_slot] = header;
    registry.next_slot = (registry.next_slot + 1) % kQuarantineSize;
    return true;
}

}  // namespace

void* Allocate(uint32_t size) {
    if (Exceeds(size)) return nullptr;
    auto* header = static_cast<BlockHeader*>(std::malloc(size_t{kHeaderSize} + size));
    if (!header) return nullptr;
    std::memcpy(header->magic, kLiveMagic, sizeof(header->magic));
    header->size = size;
    header->reserved[0] = header->reserved[1] = 0;
    void* block = header + 1;
    std::memset(block, settings::AllocFill(), size);
    BlockRegistry& registry = Registry();
    try {
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.live.insert(block);
    } catch (...) {
        std::free(header);
        return nullptr;
    }
    return block;
}

bool Free(void* block) {
    if (!block) return false;
    BlockHeader* evicted = nullptr;
    if (!Retire(Registry(), block, &evicted)) {
        engine_log::Printf("CoreFree: not a core block %p", block);
        return false;
    }
    std::free(evicted);
    return true;
}

}  // namespace quib::memory_blocks

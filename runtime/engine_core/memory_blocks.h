// Core memory blocks: the one kind of heap memory that crosses between the engine libraries.
// Each block sits behind a 16-byte header {magic 'QBLK', size}. Live blocks are also kept in
// a set, so a foreign or already freed pointer is recognised without reading memory that
// may not belong to anyone; freed blocks are poisoned and held in a quarantine for a while.
#pragma once

#include <cstdint>

namespace quib::memory_blocks {

constexpr uint32_t kHeaderSize = 16;
constexpr int kQuarantineSize = 256;

// Zero-filled (or QUIB_ALLOC_FILL) block of size bytes; null above QUIB_ALLOC_LIMIT or when
// the heap has no room. Size 0 gives a valid block.
void* Allocate(uint32_t size);
// True when block was a live core block and is now freed. Null is ignored; any other
// pointer is logged ("CoreFree: not a core block %p") and left alone.
bool Free(void* block);

}  // namespace quib::memory_blocks

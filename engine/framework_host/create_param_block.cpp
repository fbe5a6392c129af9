#include "create_param_block.h"

#include <cstring>

#include "block_bytes.h"
#include "engine_tables.h"

void* CopyCreateParamBlock(const void* host_block) {
    if (!host_block) return nullptr;
    const uint32_t length = ReadU32(static_cast<const uint8_t*>(host_block), create_param::kTotalLength);
    if (!CreateParamLengthAccepted(length)) {
        CoreLogPrintf("CreateParamBlock refused: length %u", length);
        return nullptr;
    }
    const uint32_t size = CreateParamCopySize(length);
    auto* copy = static_cast<uint8_t*>(CoreAlloc(size));
    if (!copy) return nullptr;
    std::memcpy(copy, host_block, length);
    std::memset(copy + length, 0, size - length);
    return copy;
}

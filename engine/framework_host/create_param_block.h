// The block a host passes to TS_0004 to create a component: the framework's own fields, and
// the checks that keep every access of the framework and the modules inside the copy.
#pragma once

#include <cstdint>

namespace create_param {
constexpr uint32_t kTotalLength = 0;
constexpr uint32_t kComponentType = 136;
constexpr uint32_t kComponentGuid = 140;
constexpr uint32_t kUdpSocket = 156;
constexpr uint32_t kSysInfoBlock = 160;
constexpr uint32_t kCreateNetRequest = 164;
constexpr uint32_t kPublishedPort = 284;

// Shortest block whose framework fields all lie inside it (the u16 at 284 ends at 286).
constexpr uint32_t kMinLength = 286;
constexpr uint32_t kMaxLength = 1u << 20;
// Copies are at least as large as the largest module layout, zero-filled behind the host's bytes.
constexpr uint32_t kMinCopySize = 1584;
}  // namespace create_param

inline bool CreateParamLengthAccepted(uint32_t length) {
    return length >= create_param::kMinLength && length <= create_param::kMaxLength;
}

// Size of the core block that holds the copy of a block of `length` bytes.
inline uint32_t CreateParamCopySize(uint32_t length) {
    return length < create_param::kMinCopySize ? create_param::kMinCopySize : length;
}

// Copies a host's block into a new zero-padded core block; null when its length is refused
// or no memory is left.
void* CopyCreateParamBlock(const void* host_block);

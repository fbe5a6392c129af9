// Named shared blocks: memory that other processes (the host program, test harnesses) open
// by name. The descriptor's name is read up to its 260 bytes, terminated or not.
#pragma once

#include <string>

#include "core_settings.h"
#include "outside_abi.h"

namespace quib::shared_blocks {

constexpr int kAccessDenied = 5;         // QUIB_FAIL_BLOCK makes a create fail with this
constexpr int kInvalidParameter = 87;
constexpr int kAlreadyExists = 183;      // the name exists with a smaller size

// Creates (or takes over) the block, zero-fills desc->size bytes and sets desc->address.
// 0, or an error code with desc->address 0.
int Create(SharedBlockDesc* desc);
// Opens an existing block; sets desc->address and desc->size to the whole mapped size.
int Open(SharedBlockDesc* desc);
// Unmaps and closes; desc->address = 0. Unknown addresses are ignored. Always 0.
int Close(SharedBlockDesc* desc);

inline std::string NameOf(const SharedBlockDesc* desc) {
    size_t n = 0;
    while (n < sizeof(desc->name) && desc->name[n] != '\0') ++n;
    return std::string(desc->name, n);
}

// What every Create checks first: 0 with the block's name when this process may make it, else
// the code Create returns. The address is cleared either way.
inline int CheckCreate(SharedBlockDesc* desc, std::string* name) {
    if (!desc) return kInvalidParameter;
    desc->address = nullptr;
    *name = NameOf(desc);
    return settings::BlockCreateFails(*name) ? kAccessDenied : 0;
}

}  // namespace quib::shared_blocks

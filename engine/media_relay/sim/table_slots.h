// Filling one slot of an engine function table with a function's address.
#pragma once

#include <cstdint>

namespace sim {

template <class Fn>
void PutEntry(uint32_t* table, int slot, Fn fn) {
    table[slot] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn));
}

}  // namespace sim

// A small stand-in for the engine core's table in unit tests: heap blocks that are counted
// (so a test sees leaks and double frees) and named shared blocks kept in this process.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_tables.h"

namespace fake_core {

struct State {
    std::set<void*> blocks;
    int bad_frees = 0;
    bool refuse_alloc = false;
    // Shared blocks by name; a create of a known name maps the existing bytes.
    std::map<std::string, std::vector<uint8_t>> shared;
    int create_result = 0;  // a nonzero value makes the next creates fail with it
    int closes = 0;
};

inline State& Get() {
    static State state;
    return state;
}

inline void* ENGINE_CALL Alloc(uint32_t size, uint32_t, uint32_t) {
    if (Get().refuse_alloc) return nullptr;
    void* block = std::malloc(size ? size : 1);
    std::memset(block, 0xCD, size);  // expose reliance on zeroed memory
    Get().blocks.insert(block);
    return block;
}

inline int ENGINE_CALL Free(void* block, uint32_t, uint32_t) {
    if (!block) return 0;
    if (!Get().blocks.erase(block)) {
        ++Get().bad_frees;
        return 0;
    }
    std::free(block);
    return 1;
}

inline int ENGINE_CALL CreateShared(SharedBlockDesc* d) {
    if (Get().create_result) {
        d->address = nullptr;
        return Get().create_result;
    }
    std::string name(d->name, strnlen(d->name, sizeof(d->name)));
    auto it = Get().shared.find(name);
    if (it == Get().shared.end()) it = Get().shared.emplace(name, std::vector<uint8_t>(d->size)).first;
    d->address = it->second.data();
    d->size = static_cast<uint32_t>(it->second.size());  // what is really mapped
    return 0;
}

inline int ENGINE_CALL OpenShared(SharedBlockDesc* d) {
    std::string name(d->name, strnlen(d->name, sizeof(d->name)));
    auto it = Get().shared.find(name);
    if (it == Get().shared.end()) {
        d->address = nullptr;
        return 2;  // file not found
    }
    d->address = it->second.data();
    d->size = static_cast<uint32_t>(it->second.size());
    return 0;
}

inline int ENGINE_CALL CloseShared(SharedBlockDesc* d) {
    ++Get().closes;
    d->address = nullptr;
    return 0;
}

inline uint32_t Word(const void* f) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(f));
}

inline int ENGINE_CALL FillTable(uint32_t* table) {
    table[kCoreAlloc] = Word(reinterpret_cast<const void*>(&Alloc));
    table[kCoreFree] = Word(reinterpret_cast<const void*>(&Free));
    table[kCoreCreateSharedBlock] = Word(reinterpret_cast<const void*>(&CreateShared));
    table[kCoreOpenSharedBlock] = Word(reinterpret_cast<const void*>(&OpenShared));
    table[kCoreCloseSharedBlock] = Word(reinterpret_cast<const void*>(&CloseShared));
    return 1;
}

// Binds the fake and starts from a clean state.
inline void Bind() {
    UnbindTablesForTest();
    Get() = State{};
    BindCoreTableFrom(&FillTable);
}

}  // namespace fake_core

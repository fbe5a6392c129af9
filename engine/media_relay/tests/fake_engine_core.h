// The bottom layer of the engine stand-ins for the media relay's unit tests: the engine core's
// table in this process. Counted heap blocks (a test sees leaks and double frees) with a fill
// the test picks, named shared blocks, a virtual clock with the timers set on it, every posted
// message and a count of log lines. Nothing is delivered on its own.
//
// The layers, and which test takes which:
// - this one alone (`fake_core::Bind`): parts that only take memory and shared blocks (packets,
//   shared memory, the piece index).
// - fake_engine.h: one part in isolation with its socket calls recorded (sockets, timers,
//   stream buffer and server); the clock moves only when the test says, timers never fire.
// - fake_timed_network.h: link manager and peer exchange; the clock fires the timers that fall
//   due, datagrams and outgoing requests are recorded.
// - fake_transfer_net.h, on top of the previous: framed TCP sockets for the piece scheduler and
//   the transfers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "message_object.h"

namespace fake_core {

// What a new heap block holds. The pattern exposes code that relies on zeroed memory; layers
// whose code under test zeroes what it needs, as the real core does not promise, may still ask
// for zeros where a test relies on them.
enum class Fill { Zero, Pattern };
constexpr uint8_t kFillPattern = 0xCD;

struct Timer {
    uint64_t due = 0;  // virtual milliseconds since the clock started
    uint32_t ms = 0;
    uint32_t repeat = 0;
    uint32_t target = 0, sender = 0, id = 0;
    bool killed = false;
};

struct Posted {
    uint32_t target, sender, id, p1, p2;
};

struct State {
    Fill fill = Fill::Pattern;
    std::set<void*> blocks;  // heap blocks not yet freed
    int bad_frees = 0;
    bool refuse_alloc = false;
    // Shared blocks by name; a create of a known name maps the existing bytes.
    std::map<std::string, std::vector<uint8_t>> shared;
    int create_result = 0;  // a nonzero value makes the next creates fail with it
    int closes = 0;
    uint32_t start = 0;
    uint64_t elapsed = 0;
    int next_timer = 1;
    std::map<int, Timer> timers;  // killed ones stay, marked
    // The real core drops a dead object's timers; layers that test lifetimes without it see
    // whether the object killed its own.
    bool purge_timers_on_unregister = false;
    std::vector<Posted> posted;
    int log_lines = 0;
};

inline State& Get() {
    static State state;
    return state;
}

inline uint32_t Now() {
    return Get().start + static_cast<uint32_t>(Get().elapsed);
}

namespace detail {

inline void* ENGINE_CALL Alloc(uint32_t size, uint32_t, uint32_t) {
    if (Get().refuse_alloc) return nullptr;
    void* block = std::malloc(size ? size : 1);
    std::memset(block, Get().fill == Fill::Zero ? 0 : kFillPattern, size);
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
inline int ENGINE_CALL Post(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t,
                            uint32_t) {
    Get().posted.push_back({target, sender, id, p1, p2});
    return 1;
}
inline int ENGINE_CALL Unregister(void* object) {
    if (!Get().purge_timers_on_unregister) return 1;
    const uint32_t target = ToWord(object);
    auto& timers = Get().timers;
    for (auto it = timers.begin(); it != timers.end();) it = it->second.target == target ? timers.erase(it) : std::next(it);
    return 1;
}
inline int ENGINE_CALL LogText(uint32_t, uint32_t, const char*) {
    ++Get().log_lines;
    return 1;
}
inline int ENGINE_CALL LogPrintf(uint32_t, uint32_t, const char*, ...) {
    ++Get().log_lines;
    return 1;
}
inline int ENGINE_CALL RegisterBase(uint32_t) {
    return 1;
}
inline int ENGINE_CALL SetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t,
                                uint32_t, uint32_t, uint32_t) {
    const int timer = Get().next_timer++;
    Get().timers[timer] = Timer{Get().elapsed + ms, ms, repeat, target, sender, id};
    return timer;
}
inline int ENGINE_CALL KillTimer(int id) {
    auto it = Get().timers.find(id);
    if (it == Get().timers.end() || it->second.killed) return 0;
    it->second.killed = true;
    return 1;
}
inline std::string BlockName(const SharedBlockDesc* d) {
    return std::string(d->name, strnlen(d->name, sizeof(d->name)));
}
inline int ENGINE_CALL CreateShared(SharedBlockDesc* d) {
    if (Get().create_result) {
        d->address = nullptr;
        return Get().create_result;
    }
    auto it = Get().shared.find(BlockName(d));
    if (it == Get().shared.end()) it = Get().shared.emplace(BlockName(d), std::vector<uint8_t>(d->size)).first;
    d->address = it->second.data();
    d->size = static_cast<uint32_t>(it->second.size());  // what is really mapped
    return 0;
}
inline int ENGINE_CALL OpenShared(SharedBlockDesc* d) {
    auto it = Get().shared.find(BlockName(d));
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

// Layers fill their tables with this too.
template <class Fn>
void Put(uint32_t* table, int slot, Fn fn) {
    table[slot] = ToWord(reinterpret_cast<const void*>(fn));
}

inline int ENGINE_CALL CoreTs(uint32_t* table) {
    Put(table, kCoreAlloc, &Alloc);
    Put(table, kCoreFree, &Free);
    Put(table, kCorePostMessage, &Post);
    Put(table, kCoreUnregisterObject, &Unregister);
    Put(table, kCoreLogText, &LogText);
    Put(table, kCoreLogPrintf, &LogPrintf);
    Put(table, kCoreRegisterNetMessageBase, &RegisterBase);
    Put(table, kCoreRegisterMessageBase, &RegisterBase);
    Put(table, kCoreSetTimer, &SetTimer);
    Put(table, kCoreKillTimer, &KillTimer);
    Put(table, kCoreCreateSharedBlock, &CreateShared);
    Put(table, kCoreOpenSharedBlock, &OpenShared);
    Put(table, kCoreCloseSharedBlock, &CloseShared);
    return 1;
}

}  // namespace detail

// Fresh state and only the core table bound; the network table is unbound.
inline void Bind(Fill fill = Fill::Pattern) {
    UnbindTablesForTest();
    Get() = State{};
    Get().fill = fill;
    BindCoreTableFrom(&detail::CoreTs);
}

// The engine clock reads the virtual clock, standing at `start`.
inline void StartClock(uint32_t start) {
    Get().start = start;
    Get().elapsed = 0;
    SetEngineTickSource(&Now);
}

inline void StopClock() {
    SetEngineTickSource(nullptr);
}

// Moves the clock on by `ms` without firing anything.
inline void MoveClock(uint32_t ms) {
    Get().elapsed += ms;
}

// Moves the clock on by `ms`, delivering MSG_TIMER for every live timer that falls due on the
// way, earliest first, with the clock standing at its due time.
inline void Advance(uint32_t ms) {
    const uint64_t end = Get().elapsed + ms;
    for (;;) {
        auto& timers = Get().timers;
        auto next = timers.end();
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (!it->second.killed && it->second.due <= end && (next == timers.end() || it->second.due < next->second.due))
                next = it;
        if (next == timers.end()) break;
        const Timer timer = next->second;
        Get().elapsed = timer.due;
        if (timer.repeat) {
            next->second.due += timer.ms ? timer.ms : 1;
        } else {
            timers.erase(next);
        }
        FrameworkMessage msg{timer.target, timer.sender, timer.id, 0, 0, 0, 0, 0};
        CMessageObject::FromTarget(timer.target)->OnMessage(&msg);
    }
    Get().elapsed = end;
}

// The timers set and not killed.
inline std::vector<Timer> LiveTimers() {
    std::vector<Timer> live;
    for (const auto& [id, timer] : Get().timers)
        if (!timer.killed) live.push_back(timer);
    return live;
}

inline std::vector<Posted> PostedOf(uint32_t id) {
    std::vector<Posted> out;
    for (const Posted& p : Get().posted)
        if (p.id == id) out.push_back(p);
    return out;
}

}  // namespace fake_core

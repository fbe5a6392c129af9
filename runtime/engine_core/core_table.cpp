// TS_XXXX and the CoreTable entries it hands out. Each entry is a boundary: no exception
// leaves it (it returns its failure value instead). Slots the engine never calls hold trap
// stubs that log and return 0, or abort with QUIB_TRAP=1.
//
// TS_XXXX runs inside the caller's DLL entry point, under the loader lock: it only fills
// the table. Everything else is created at its first use.
#include <cstdarg>
#include <cstdint>
#include <utility>

#include "core_platform.h"
#include "core_settings.h"
#include "engine_log.h"
#include "memory_blocks.h"
#include "message_queue.h"
#include "object_purge.h"
#include "outside_abi.h"
#include "shared_blocks.h"
#include "timers.h"

using namespace quib;

namespace {

template <class Result, class Body>
Result Guarded(Result failure, Body body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

void* ENGINE_CALL EntryAlloc(uint32_t size, uint32_t, uint32_t) {
    return Guarded<void*>(nullptr, [&] { return memory_blocks::Allocate(size); });
}

int ENGINE_CALL EntryFree(void* block, uint32_t, uint32_t) {
    return Guarded(0, [&] { return memory_blocks::Free(block) ? 1 : 0; });
}

int ENGINE_CALL EntryPostMessage(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3,
                                 uint32_t p4) {
    return Guarded(0, [&] { return message_queue::Post(target, sender, id, p1, p2, p3, p4); });
}

int ENGINE_CALL EntryGetMessage(FrameworkMessage* message) {
    return Guarded(0, [&] { return message_queue::Get(message); });
}

int ENGINE_CALL EntryShutdownQueue() {
    return Guarded(0, [] { return message_queue::Shutdown(); });
}

int ENGINE_CALL EntryUnregisterObject(void* object) {
    return Guarded(0, [&] { return object_purge::Unregister(object); });
}

int ENGINE_CALL EntryWait(void* event, uint32_t ms) {
    return Guarded(-1, [&] { return os::WaitForEvent(event, ms); });
}

int ENGINE_CALL EntryLogText(uint32_t, uint32_t, const char* text) {
    return Guarded(0, [&] {
        engine_log::Line(text);
        return 1;
    });
}

int ENGINE_CALL EntryLogPrintf(uint32_t, uint32_t, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = Guarded(0, [&] {
        engine_log::VPrintf(format, args);
        return 1;
    });
    va_end(args);
    return result;
}

int ENGINE_CALL EntryRegisterNetMessageBase(uint32_t base) {
    return Guarded(0, [&] { return message_queue::RegisterNetMessageBase(base); });
}

int ENGINE_CALL EntryRegisterMessageBase(uint32_t base) {
    return Guarded(0, [&] { return message_queue::RegisterMessageBase(base); });
}

int ENGINE_CALL EntrySetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t p1,
                              uint32_t p2, uint32_t p3, uint32_t p4) {
    return Guarded(-1, [&] { return timers::Set(ms, repeat, target, sender, id, p1, p2, p3, p4); });
}

int ENGINE_CALL EntryKillTimer(int timer_id) {
    return Guarded(0, [&] { return timers::Kill(timer_id); });
}

int ENGINE_CALL EntryCreateSharedBlock(SharedBlockDesc* desc) {
    return Guarded(shared_blocks::kInvalidParameter, [&] { return shared_blocks::Create(desc); });
}

int ENGINE_CALL EntryOpenSharedBlock(SharedBlockDesc* desc) {
    return Guarded(shared_blocks::kInvalidParameter, [&] { return shared_blocks::Open(desc); });
}

int ENGINE_CALL EntryCloseSharedBlock(SharedBlockDesc* desc) {
    return Guarded(0, [&] { return shared_blocks::Close(desc); });
}

void ReportTrap(int slot) {
    try {
        engine_log::Printf("unexpected CoreTable entry %d", slot);
    } catch (...) {
        // A trap report that cannot be logged must not throw through the table entry.
    }
    if (settings::TrapAborts()) os::Abort();
}

// Callers pass arguments we do not know; with the caller cleaning the stack, a stub without
// parameters is safe for any of them.
template <int Slot>
int ENGINE_CALL TrapEntry() {
    ReportTrap(Slot);
    return 0;
}


template <int... Slots>
void FillTraps(uint32_t* table, std::integer_sequence<int, Slots...>) {
    ((table[Slots] = ToWord(&TrapEntry<Slots>)), ...);
}

}  // namespace

ENGINE_EXPORT int ENGINE_CALL TS_XXXX(uint32_t* table) {
    if (!table) return 0;
    FillTraps(table, std::make_integer_sequence<int, kFunctionTableSlots>{});
    table[kCoreAlloc] = ToWord(&EntryAlloc);
    table[kCoreFree] = ToWord(&EntryFree);
    table[kCorePostMessage] = ToWord(&EntryPostMessage);
    table[kCoreGetMessage] = ToWord(&EntryGetMessage);
    table[kCoreShutdownQueue] = ToWord(&EntryShutdownQueue);
    table[kCoreUnregisterObject] = ToWord(&EntryUnregisterObject);
    table[kCoreWait] = ToWord(&EntryWait);
    table[kCoreLogText] = ToWord(&EntryLogText);
    table[kCoreLogPrintf] = ToWord(&EntryLogPrintf);
    table[kCoreRegisterNetMessageBase] = ToWord(&EntryRegisterNetMessageBase);
    table[kCoreRegisterMessageBase] = ToWord(&EntryRegisterMessageBase);
    table[kCoreSetTimer] = ToWord(&EntrySetTimer);
    table[kCoreKillTimer] = ToWord(&EntryKillTimer);
    table[kCoreCreateSharedBlock] = ToWord(&EntryCreateSharedBlock);
    table[kCoreOpenSharedBlock] = ToWord(&EntryOpenSharedBlock);
    table[kCoreCloseSharedBlock] = ToWord(&EntryCloseSharedBlock);
    return 1;
}

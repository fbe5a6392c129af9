#include "core_link.h"

#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "quib_net_hooks.h"
#include "socket_registry.h"

namespace kuz {

namespace {

uint32_t g_core_table[kFunctionTableSlots];
std::atomic<bool> g_core_bound{false};

TsXxxxTableFn FindCoreTsXxxx() {
#if defined(_WIN32)
    HMODULE core = ::GetModuleHandleA("QUIB.DLL");
    return core ? reinterpret_cast<TsXxxxTableFn>(reinterpret_cast<void*>(::GetProcAddress(core, "TS_XXXX")))
                : nullptr;
#else
    // This library's own TS_XXXX shadows the core's by name, so look it up in the core's image.
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&QuibSetNetHooks), &info) || !info.dli_fname) return nullptr;
    void* core = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    return core ? reinterpret_cast<TsXxxxTableFn>(dlsym(core, "TS_XXXX")) : nullptr;
#endif
}

template <class Fn>
Fn Entry(int slot) {
    return reinterpret_cast<Fn>(static_cast<uintptr_t>(g_core_table[slot]));
}

void ENGINE_CALL OnObjectUnregistered(void* object) {
    try {
        Registry().ClearHandler(ToWord(object));
    } catch (...) {
        // No exception may cross the core's callback.
    }
}

void ENGINE_CALL OnMessagesDropped(const FrameworkMessage* messages, int count) {
    try {
        Registry().ReleaseDropped(messages, count);
    } catch (...) {
        // No exception may cross the core's callback.
    }
}

}  // namespace

bool BindCore() {
    if (g_core_bound.load()) return true;
    TsXxxxTableFn ts_xxxx = FindCoreTsXxxx();
    if (!ts_xxxx) return false;
    uint32_t table[kFunctionTableSlots] = {};
    ts_xxxx(table);
    for (int i = 0; i < kFunctionTableSlots; ++i) g_core_table[i] = table[i];
    g_core_bound.store(true);
    return true;
}

int CorePost(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4) {
    if (!g_core_bound.load()) return 0;
    auto post = Entry<CorePostMessageFn>(kCorePostMessage);
    return post ? post(target, sender, id, p1, p2, p3, p4) : 0;
}

void CoreLog(const char* text) {
    if (!g_core_bound.load() && !BindCore()) return;
    if (auto log = Entry<CoreLogTextFn>(kCoreLogText)) log(0, 0, text);
}

void CoreLogNumber(const char* format, int value) {
    if (!g_core_bound.load() && !BindCore()) return;
    if (auto log = Entry<CoreLogPrintfFn>(kCoreLogPrintf)) log(0, 0, format, value);
}

void InstallCoreHooks() {
    QuibSetNetHooks(&OnObjectUnregistered, &OnMessagesDropped);
}

int TakeSocketEvents(uint32_t target, uint32_t socket, FrameworkMessage* out, int max) {
    return QuibTakeSocketEvents(target, socket, out, max);
}

}  // namespace kuz

#include "engine_tables.h"

#include <cstring>

#include "platform.h"

uint32_t CoreTable[kFunctionTableSlots];
uint32_t NetTable[kFunctionTableSlots];

namespace {

// Per outside library: its module handle (null = not bound) and its looked-up TS_XXXX.
struct LibraryBinding {
    void* module = nullptr;
    TsXxxxTableFn ts_xxxx = nullptr;
};

LibraryBinding g_core_binding;
LibraryBinding g_net_binding;

void* LoadEngineLibrary(const char* file_name) {
#if defined(ENGINE_BIND_OWN_FOLDER)
    return platform::LoadLibraryFromOwnFolder(file_name);
#else
    return platform::LoadLibraryByName(file_name);
#endif
}

int FillTable(uint32_t* table, TsXxxxTableFn ts_xxxx) {
    if (!ts_xxxx) return 0;  // a library without the export stays unbound, like a missing file
    ts_xxxx(table);
    return 1;
}

int Bind(LibraryBinding& binding, const char* file_name, uint32_t* table) {
    binding.module = LoadEngineLibrary(file_name);
    if (!binding.module) return 0;
    binding.ts_xxxx = reinterpret_cast<TsXxxxTableFn>(platform::GetProcAddress(binding.module, "TS_XXXX"));
    if (!binding.ts_xxxx) {
        platform::DebugOutputf("engine: %s has no TS_XXXX export; it stays unbound\n", file_name);
        return 0;
    }
    return FillTable(table, binding.ts_xxxx);
}

}  // namespace

bool CoreTableBound() {
    // The entries every engine object needs from its first message on.
    return CoreTable[kCorePostMessage] && CoreTable[kCoreGetMessage] && CoreTable[kCoreUnregisterObject] &&
           CoreTable[kCoreAlloc] && CoreTable[kCoreFree];
}

bool NetTableBound() {
    return NetTable[kNetStartup] && NetTable[kNetCreateBoundSocket] && NetTable[kNetClose];
}

int BindCoreLibrary() {
    return Bind(g_core_binding, "QUIB.DLL", CoreTable);
}

int BindNetLibrary() {
    if (!Bind(g_net_binding, "KUZ.DLL", NetTable)) return 0;
    NetStartup();
    return 1;
}

int BindCoreTableFrom(TsXxxxTableFn ts_xxxx) {
    g_core_binding.ts_xxxx = ts_xxxx;
    return FillTable(CoreTable, ts_xxxx);
}

int BindNetTableFrom(TsXxxxTableFn ts_xxxx) {
    g_net_binding.ts_xxxx = ts_xxxx;
    return FillTable(NetTable, ts_xxxx);
}

void UnbindTablesForTest() {
    std::memset(CoreTable, 0, sizeof(CoreTable));
    std::memset(NetTable, 0, sizeof(NetTable));
    g_core_binding = {};
    g_net_binding = {};
}

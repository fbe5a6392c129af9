#include "module_table.h"

#include <cstring>

#include "engine_tables.h"
#include "platform.h"

namespace {
// Codes reported for loads refused before or after the library itself loaded.
constexpr uint32_t kProcedureNotFound = 127;
constexpr uint32_t kTableFull = 8;         // not enough memory (storage)
constexpr uint32_t kNameTooLong = 206;     // file name too long

void* LoadModuleLibrary(const char* file_name) {
    if (platform::PathIsRelative(file_name)) return platform::LoadLibraryFromOwnFolder(file_name);
    return platform::LoadLibraryByName(file_name);
}
}  // namespace

ModuleTable& Modules() {
    static ModuleTable* table = new ModuleTable;  // never destroyed: modules stay loaded
    return *table;
}

int ModuleTable::Refuse(void* handle, const char* file_name, uint32_t code) {
    if (handle) platform::FreeLibrary(handle);
    CoreLogPrintf("LoadModule %s Failed %d", file_name, static_cast<int>(code));
    return -1;
}

int ModuleTable::Load(const char* file_name) {
    if (!file_name) return -1;
    if (m_count >= kRows) return Refuse(nullptr, file_name, kTableFull);
    if (std::strlen(file_name) >= kNameSize) return Refuse(nullptr, file_name, kNameTooLong);
    void* handle = LoadModuleLibrary(file_name);
    if (!handle) {
        CoreLogPrintf("LoadModule %s Failed %d", file_name, static_cast<int>(platform::LastError()));
        return -1;
    }
    auto ts_xxxx = reinterpret_cast<TsXxxxModuleFn>(platform::GetProcAddress(handle, "TS_XXXX"));
    return Register(handle, file_name, ts_xxxx);
}

int ModuleTable::Register(void* handle, const char* file_name, TsXxxxModuleFn ts_xxxx) {
    if (m_count >= kRows) return Refuse(handle, file_name, kTableFull);
    if (std::strlen(file_name) >= kNameSize) return Refuse(handle, file_name, kNameTooLong);
    if (!ts_xxxx) return Refuse(handle, file_name, kProcedureNotFound);
    ModuleEntry& row = m_rows[m_count];
    std::memset(&row, 0, sizeof(row));
    row.handle = handle;
    std::strcpy(row.name, file_name);
    ts_xxxx(&row.registration);
    ++m_count;
    return 1;
}

const ModuleEntry* ModuleTable::FindByType(int32_t type) const {
    for (int i = 0; i < m_count; ++i) {
        if (m_rows[i].registration.type == type) return &m_rows[i];
    }
    return nullptr;
}

// The module libraries the framework has loaded and what each registered. The table is
// static, only grows, and its modules are never unloaded.
#pragma once

#include <cstdint>

#include <cstddef>

#include "outside_abi.h"

struct ModuleEntry {
    void* handle;
    char name[256];  // as passed to LoadModule
    ModuleRegistration registration;
};

class ModuleTable {
public:
    static constexpr int kRows = 100;
    static constexpr size_t kNameSize = 256;

    // Loads a module library (a relative name from VOR's own folder), lets its TS_XXXX fill a
    // registration and adds the row. 1 = loaded, -1 = failed (logged).
    int Load(const char* file_name);
    // Adds a row for an already loaded library. -1 (logged, the library freed) when the table is
    // full, the name too long or the library has no TS_XXXX.
    int Register(void* handle, const char* file_name, TsXxxxModuleFn ts_xxxx);

    // First row, in load order, whose registration names this type; null when none.
    const ModuleEntry* FindByType(int32_t type) const;
    int Count() const { return m_count; }
    const ModuleEntry& Row(int index) const { return m_rows[index]; }

    // Tests only: forget every row.
    void ResetForTest() { m_count = 0; }

private:
    int Refuse(void* handle, const char* file_name, uint32_t code);

    ModuleEntry m_rows[kRows] = {};
    int m_count = 0;
};

// The framework's one module table.
ModuleTable& Modules();

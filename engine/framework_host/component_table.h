// The component table inside the SysInfoBlock: its row count at offset 236 and up to 32
// packed 32-byte rows from offset 240, kept packed from row 0.
#pragma once

#include <cstdint>

struct ComponentRecord {
    uint8_t guid[16];
    int32_t type;
    uint32_t handle;        // the component, a CMessageObject returned by the module's Create
    uint32_t param_block;   // its CreateParamBlock (owned by the row)
    uint32_t module_entry;  // its ModuleEntry
};
static_assert(sizeof(ComponentRecord) == 32);

constexpr int32_t COMPONENT_TYPE_LIVE = 1001;
constexpr int32_t COMPONENT_TYPE_PORT_LIST = 1002;

class ComponentTable {
public:
    explicit ComponentTable(uint8_t* sys_info) : m_sys_info(sys_info) {}

    int Count() const;
    bool Full() const;
    ComponentRecord Row(int index) const;
    // First row with this GUID, or -1.
    int FindByGuid(const uint8_t guid[16]) const;
    // First row of this type, or -1.
    int FindByType(int32_t type) const;
    // Adds a row at the end; false when all 32 rows are in use.
    bool Append(const ComponentRecord& record);
    // Removes a row; the later rows move up one place.
    void Remove(int index);

private:
    uint8_t* RowAddress(int index) const;
    void SetCount(int count);

    uint8_t* m_sys_info;
};

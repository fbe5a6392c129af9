#include "component_table.h"

#include <cstring>

#include "block_bytes.h"
#include "sys_info_block.h"

uint8_t* ComponentTable::RowAddress(int index) const {
    return m_sys_info + sys_info::kComponentTable + static_cast<uint32_t>(index) * sys_info::kComponentRecordSize;
}

int ComponentTable::Count() const {
    const int32_t count = static_cast<int32_t>(ReadU32(m_sys_info, sys_info::kComponentCount));
    // The block is shared with the host; never trust a count beyond the table.
    if (count < 0) return 0;
    return count > sys_info::kComponentRows ? sys_info::kComponentRows : count;
}

void ComponentTable::SetCount(int count) {
    WriteU32(m_sys_info, sys_info::kComponentCount, static_cast<uint32_t>(count));
}

bool ComponentTable::Full() const {
    return Count() >= sys_info::kComponentRows;
}

ComponentRecord ComponentTable::Row(int index) const {
    ComponentRecord record;
    std::memcpy(&record, RowAddress(index), sizeof(record));
    return record;
}

int ComponentTable::FindByGuid(const uint8_t guid[16]) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (std::memcmp(RowAddress(i), guid, 16) == 0) return i;
    }
    return -1;
}

int ComponentTable::FindByType(int32_t type) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (Row(i).type == type) return i;
    }
    return -1;
}

bool ComponentTable::Append(const ComponentRecord& record) {
    const int count = Count();
    if (count >= sys_info::kComponentRows) return false;
    std::memcpy(RowAddress(count), &record, sizeof(record));
    SetCount(count + 1);
    return true;
}

void ComponentTable::Remove(int index) {
    const int count = Count();
    if (index < 0 || index >= count) return;
    std::memmove(RowAddress(index), RowAddress(index + 1),
                 static_cast<size_t>(count - index - 1) * sys_info::kComponentRecordSize);
    std::memset(RowAddress(count - 1), 0, sys_info::kComponentRecordSize);
    SetCount(count - 1);
}

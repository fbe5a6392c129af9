#include "port_list_publisher.h"

#include <cstring>

#include "block_bytes.h"
#include "component_table.h"
#include "create_param_block.h"
#include "engine_tables.h"
#include "platform.h"

uint32_t PortListCapacity(uint32_t mapped_size) {
    if (mapped_size < port_list::kEntries) return 0;
    return (mapped_size - port_list::kEntries) / port_list::kEntrySize;
}

bool CPortListPublisher::Open(const ComponentTable& components) {
    const int row = components.FindByType(COMPONENT_TYPE_PORT_LIST);
    if (row < 0) return false;
    const ComponentRecord record = components.Row(row);
    SharedBlockDesc desc{};
    char text[37];
    if (!platform::GuidToPlatformString(record.guid, text)) return false;
    std::memcpy(desc.name, text, sizeof(text));
    if (CoreOpenSharedBlock(&desc) != 0 || !desc.address) return false;
    m_desc = desc;
    return true;
}

void CPortListPublisher::Publish(const ComponentTable& components) {
    if (!IsOpen() && !Open(components)) return;
    auto* block = static_cast<uint8_t*>(m_desc.address);
    if (m_desc.size < port_list::kEntries) return;  // not even the header fits
    const uint32_t capacity = PortListCapacity(m_desc.size);
    uint32_t count = 0;
    const int rows = components.Count();
    for (int i = 0; i < rows && count < capacity; ++i) {
        const ComponentRecord record = components.Row(i);
        if (record.type != COMPONENT_TYPE_LIVE) continue;
        const auto* param = FromWord<const uint8_t>(record.param_block);
        const uint32_t port = param ? ReadU16(param, create_param::kPublishedPort) : 0;
        uint8_t* entry = block + port_list::kEntries + count * port_list::kEntrySize;
        WriteU32(entry, 0, port);
        entry[4] = 1;
        ++count;
    }
    block[port_list::kCountOffset] = static_cast<uint8_t>(count);
    block[port_list::kFlagOffset] = 1;
}

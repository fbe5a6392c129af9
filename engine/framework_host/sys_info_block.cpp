#include "sys_info_block.h"

#include <cstdio>
#include <cstring>

#include "block_bytes.h"
#include "engine_tables.h"
#include "local_addresses.h"
#include "platform.h"

namespace {
// Used when the named block cannot be made. One framework runs per process at a time.
alignas(8) uint8_t g_private_block[sys_info::kSize];
}  // namespace

CSysInfoBlock::~CSysInfoBlock() {
    Close();
}

void CSysInfoBlock::Create() {
    std::memset(&m_desc, 0, sizeof(m_desc));
    std::snprintf(m_desc.name, sizeof(m_desc.name), "%d%s", static_cast<int>(platform::CurrentProcessId()),
                  "OS_SYS_INFO");
    m_desc.size = sys_info::kSize;
    const int rc = CoreCreateSharedBlock(&m_desc);
    if (rc == 0 && m_desc.address) {
        m_data = static_cast<uint8_t*>(m_desc.address);
        m_private = false;
        return;
    }
    CoreLogPrintf("SysInfoBlock %s not created (%d): using a private block", m_desc.name, rc);
    std::memset(g_private_block, 0, sizeof(g_private_block));
    m_data = g_private_block;
    m_private = true;
}

void CSysInfoBlock::Fill() {
    WriteU32(m_data, sys_info::kVersion, platform::SystemVersion());
    WriteU32(m_data, sys_info::kWord4, sys_info::kWord4Value);
    WriteU32(m_data, sys_info::kWord8, sys_info::kWord8Value);
    uint32_t addresses[sys_info::kMaxAddresses] = {};
    const int count = GetLocalAddresses(addresses);
    std::memcpy(m_data + sys_info::kAddresses, addresses, sizeof(addresses));
    WriteU16(m_data, sys_info::kAddressCount, static_cast<uint16_t>(count));
    WriteU16(m_data, sys_info::kConnectionLimit, sys_info::kConnectionLimitValue);
    WriteU16(m_data, sys_info::kTransferLimit, sys_info::kTransferLimitValue);
    platform::CreateGuid(m_data + sys_info::kInstanceGuid);
}

void CSysInfoBlock::SetPorts(uint16_t tcp_port, uint16_t udp_port) {
    WriteU16(m_data, sys_info::kTcpPort, tcp_port);
    WriteU16(m_data, sys_info::kUdpPort, udp_port);
}

void CSysInfoBlock::Close() {
    if (IsShared()) CoreCloseSharedBlock(&m_desc);
    m_data = nullptr;
    m_private = false;
}

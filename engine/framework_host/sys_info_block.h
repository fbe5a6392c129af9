// "<pid>OS_SYS_INFO": the shared block that describes this engine instance to the host and
// the modules (ports, limits, instance GUID, local addresses, the component table).
#pragma once

#include <cstdint>

#include "outside_abi.h"

namespace sys_info {
constexpr uint32_t kSize = 1264;
constexpr uint32_t kVersion = 0;
constexpr uint32_t kWord4 = 4;
constexpr uint32_t kWord8 = 8;
constexpr uint32_t kTcpPort = 14;
constexpr uint32_t kUdpPort = 16;
constexpr uint32_t kAltTcpPort = 24;
constexpr uint32_t kAltUdpPort = 26;
constexpr uint32_t kNotifyWindow = 28;
constexpr uint32_t kConnectionLimit = 36;
constexpr uint32_t kTransferLimit = 38;
constexpr uint32_t kInstanceGuid = 40;
constexpr uint32_t kAddressCount = 106;
constexpr uint32_t kAddresses = 108;
constexpr int kMaxAddresses = 32;
constexpr uint32_t kComponentCount = 236;
constexpr uint32_t kComponentTable = 240;
constexpr int kComponentRows = 32;
constexpr uint32_t kComponentRecordSize = 32;

constexpr uint32_t kWord4Value = 256;
constexpr uint32_t kWord8Value = 512;
constexpr uint16_t kConnectionLimitValue = 50;
constexpr uint16_t kTransferLimitValue = 64;
}  // namespace sys_info

static_assert(sys_info::kComponentTable + sys_info::kComponentRows * sys_info::kComponentRecordSize ==
              sys_info::kSize);

class CSysInfoBlock {
public:
    CSysInfoBlock() = default;
    CSysInfoBlock(const CSysInfoBlock&) = delete;
    CSysInfoBlock& operator=(const CSysInfoBlock&) = delete;
    ~CSysInfoBlock();

    // Creates the named block; when the core cannot, a private zeroed block takes its place,
    // so the engine runs without publishing. Never leaves Data() null.
    void Create();
    // Writes the fixed fields, the local addresses and a new instance GUID.
    void Fill();
    void Close();

    uint8_t* Data() const { return m_data; }
    bool IsShared() const { return m_data && !m_private; }
    const SharedBlockDesc& Descriptor() const { return m_desc; }

    void SetPorts(uint16_t tcp_port, uint16_t udp_port);

private:
    SharedBlockDesc m_desc{};
    uint8_t* m_data = nullptr;
    bool m_private = false;
};

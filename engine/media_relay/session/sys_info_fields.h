// Fields of the framework's SysInfoBlock that the relay session reads (byte offsets). The
// framework host owns the block; the session only reads it.
#pragma once

#include <cstdint>

namespace sys_info_fields {

constexpr uint32_t kTcpPort = 14;         // u16
constexpr uint32_t kUdpPort = 16;         // u16
constexpr uint32_t kAltTcpPort = 24;      // u16, used instead of kTcpPort when nonzero
constexpr uint32_t kAltUdpPort = 26;      // u16, used instead of kUdpPort when nonzero
constexpr uint32_t kNotifyWindow = 28;    // u32 window handle; set by another party, if at all
constexpr uint32_t kTransferLimit = 38;   // u16
constexpr uint32_t kInstanceGuid = 40;    // 16 bytes
constexpr uint32_t kFirstAddress = 108;   // u32 first local IPv4, network order
constexpr uint32_t kSize = 1264;

}  // namespace sys_info_fields

#include "links/link_entry.h"

#include "packets/wire_bytes.h"

namespace {
constexpr uint32_t kServerIPv4Offset = 0;
constexpr uint32_t kServerPortOffset = 4;
constexpr uint32_t kKindOffset = 6;
constexpr uint32_t kUnusedOffset = 7;
constexpr uint32_t kReportIPv4Offset = 8;
constexpr uint32_t kReportTcpOffset = 12;
constexpr uint32_t kReportUdpOffset = 14;
}  // namespace

LinkEntry ReadLinkEntry(const uint8_t* bytes) {
    LinkEntry e;
    e.server_ipv4 = ReadIPv4(bytes + kServerIPv4Offset);
    e.server_port = ReadU16(bytes + kServerPortOffset);
    e.kind = bytes[kKindOffset];
    e.unused = bytes[kUnusedOffset];
    e.report_ipv4 = ReadIPv4(bytes + kReportIPv4Offset);
    e.report_tcp_port = ReadU16(bytes + kReportTcpOffset);
    e.report_udp_port = ReadU16(bytes + kReportUdpOffset);
    return e;
}

void WriteLinkEntry(uint8_t* bytes, const LinkEntry& e) {
    WriteIPv4(bytes + kServerIPv4Offset, e.server_ipv4);
    WriteU16(bytes + kServerPortOffset, e.server_port);
    bytes[kKindOffset] = e.kind;
    bytes[kUnusedOffset] = e.unused;
    WriteIPv4(bytes + kReportIPv4Offset, e.report_ipv4);
    WriteU16(bytes + kReportTcpOffset, e.report_tcp_port);
    WriteU16(bytes + kReportUdpOffset, e.report_udp_port);
}

NetSockAddr ServerSocketAddress(const LinkEntry& entry) {
    return ToSocketAddress(entry.server_ipv4, entry.server_port);
}

bool IsReplyFrom(const LinkEntry& entry, uint32_t source_kind, const NetSockAddr& sender) {
    return source_kind == entry.kind && SocketAddressIPv4(sender) == entry.server_ipv4 &&
           SocketAddressPort(sender) == entry.server_port;
}

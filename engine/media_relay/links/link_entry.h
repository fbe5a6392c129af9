// One link server as the CreateParamBlock lists it (16 bytes): where the server is, how to
// reach it, and the address this host reports to it.
#pragma once

#include <cstdint>

#include "outside_abi.h"
#include "peers/peer_address.h"

constexpr uint32_t kLinkEntrySize = 16;

// How a link reaches its server, and the source kind of the datagrams its replies come in.
enum LinkKind : uint8_t {
    kLinkUdp = 0,      // datagrams on the session's UDP socket
    kLinkRequest = 1,  // one TCP exchange per packet through the framework's CreateNetRequest
};

struct LinkEntry {
    uint32_t server_ipv4 = 0;  // network order, as in a socket address
    uint16_t server_port = 0;  // host order
    uint8_t kind = kLinkUdp;
    uint8_t unused = 0;
    uint32_t report_ipv4 = 0;  // 0 or 0xFFFFFFFF: this host's own address
    uint16_t report_tcp_port = 0;  // 0: own
    uint16_t report_udp_port = 0;  // 0: own

    bool operator==(const LinkEntry&) const = default;
};

LinkEntry ReadLinkEntry(const uint8_t* bytes);
void WriteLinkEntry(uint8_t* bytes, const LinkEntry& entry);

// The socket address of the link's server.
NetSockAddr ServerSocketAddress(const LinkEntry& entry);

// A reply belongs to a link when it came the link's way (source kind) from its server's IPv4
// and port; a server answering from another socket is someone else.
bool IsReplyFrom(const LinkEntry& entry, uint32_t source_kind, const NetSockAddr& sender);

// The channel's link server on its own node, behaving on the wire as the link server tool does:
// one registry per channel GUID of the peers that joined (the IPv4 their datagrams come from,
// the ports their join states, when last seen), expiring a peer after three keep-alives of
// silence. It answers a join with the address it saw and the keep-alive, an announce with the
// other live peers (the source's record first, then the most recently seen), a status with an
// empty reply, forgets a peer that leaves, and puts the source's piece range in every reply.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "datagram_endpoint.h"
#include "event_queue.h"
#include "packets/packet_fields.h"
#include "packets/packet_header.h"
#include "packets/peer_record.h"

namespace sim {

struct LinkServerConfig {
    uint16_t port = 7000;
    uint16_t keep_alive_s = 30;
    uint32_t max_records = 255;
    bool list_source = true;
    PeerRecord source;                   // listed first when list_source
    std::function<SourceRange()> range;  // the source's current range
};

class LinkServer {
public:
    // Opens its datagram socket on the current node.
    explicit LinkServer(LinkServerConfig config);

    uint64_t Answered() const { return m_answered; }

private:
    using Id = std::array<uint8_t, 16>;
    struct Entry {
        PeerAddress address;
        SimTime last_seen = 0;
        uint64_t order = 0;  // tells apart peers seen at the same moment
    };
    using Channel = std::map<Id, Entry>;

    void Receive(const uint8_t* data, uint32_t length, const NetSockAddr& from);
    bool Answer(const uint8_t* data, uint32_t length, uint32_t seen_ipv4, PeerPacket* reply);
    void Touch(const Id& channel, const Id& peer);
    std::vector<PeerRecord> Others(const Id& channel, const Id& asking, uint32_t wanted);

    LinkServerConfig m_config;
    std::unique_ptr<DatagramEndpoint> m_udp;
    std::map<Id, Channel> m_channels;
    uint64_t m_next_order = 0;
    uint64_t m_answered = 0;
};

}  // namespace sim

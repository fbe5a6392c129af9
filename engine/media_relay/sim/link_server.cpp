#include "link_server.h"

#include <algorithm>
#include <cstring>

#include "packets/announce_packet.h"
#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "peers/peer_address.h"
#include "sim_world.h"

namespace sim {

namespace {

std::array<uint8_t, 16> IdAt(const uint8_t* bytes) {
    std::array<uint8_t, 16> id;
    std::memcpy(id.data(), bytes, id.size());
    return id;
}

SimTime Now() {
    return World::Current()->Now();
}

}  // namespace

LinkServer::LinkServer(LinkServerConfig config) : m_config(std::move(config)) {
    auto receive = [this](const uint8_t* data, uint32_t length, const NetSockAddr& from) {
        Receive(data, length, from);
    };
    m_udp = std::make_unique<DatagramEndpoint>(m_config.port, receive);
}

void LinkServer::Receive(const uint8_t* data, uint32_t length, const NetSockAddr& from) {
    PeerPacket reply;
    if (!Answer(data, length, SocketAddressIPv4(from), &reply)) return;
    ++m_answered;
    m_udp->SendTo(reply.bytes, reply.length, from);  // from the socket the request came to
}

bool LinkServer::Answer(const uint8_t* data, uint32_t length, uint32_t seen_ipv4, PeerPacket* reply) {
    RequestHeaderView header(data, length);
    if (!header.IsValid() || !header.IsRequest()) return false;
    const Id channel = IdAt(header.ChannelGuid());
    const Id peer = IdAt(header.SenderId());
    const SourceRange range = m_config.range ? m_config.range() : SourceRange{};
    switch (header.Type()) {
        case kPacketJoin: {
            JoinView join(data, length);
            if (!join.IsValid()) return false;
            Entry& entry = m_channels[channel][peer];
            entry.address = PeerAddress{seen_ipv4, join.TcpPort(), join.UdpPort()};
            Touch(channel, peer);
            BuildJoinReply(*reply, data, range, seen_ipv4, m_config.keep_alive_s);
            return true;
        }
        case kPacketAnnounce: {
            AnnounceView announce(data, length);
            if (!announce.IsValid()) return false;
            Touch(channel, peer);
            const std::vector<PeerRecord> records = Others(channel, peer, announce.WantedRecords());
            BuildPeerListReply(*reply, data, range, records.data(), static_cast<uint32_t>(records.size()));
            return true;
        }
        case kPacketLinkStatus: {
            LinkStatusView status(data, length);
            if (!status.IsValid()) return false;
            Touch(channel, peer);
            BuildStatusReply(*reply, data, range);
            return true;
        }
        case kPacketLeave: {
            LeaveView leave(data, length);
            if (leave.IsValid()) m_channels[channel].erase(peer);
            return false;
        }
        default:
            return false;
    }
}

void LinkServer::Touch(const Id& channel, const Id& peer) {
    auto found = m_channels.find(channel);
    if (found == m_channels.end()) return;
    auto entry = found->second.find(peer);
    if (entry == found->second.end()) return;
    entry->second.last_seen = Now();
    entry->second.order = m_next_order++;
}

std::vector<PeerRecord> LinkServer::Others(const Id& channel, const Id& asking, uint32_t wanted) {
    Channel& peers = m_channels[channel];
    const SimTime lifetime = Seconds(3.0 * m_config.keep_alive_s);
    const SimTime now = Now();
    for (auto it = peers.begin(); it != peers.end();)
        it = it->second.last_seen + lifetime < now ? peers.erase(it) : std::next(it);
    std::vector<const Entry*> live;
    for (const auto& [id, entry] : peers)
        if (id != asking) live.push_back(&entry);
    // Most recently seen first.
    std::sort(live.begin(), live.end(), [](const Entry* a, const Entry* b) { return a->order > b->order; });
    std::vector<PeerRecord> records;
    if (m_config.list_source) records.push_back(m_config.source);
    for (const Entry* entry : live) records.push_back(PeerRecord{entry->address, 0, 0});
    const size_t limit = std::min<size_t>({kPeerListReplyMaxRecords, wanted, m_config.max_records});
    if (records.size() > limit) records.resize(limit);
    return records;
}

}  // namespace sim

#include "peers/peer_exchange.h"

#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "packets/hello_packet.h"
#include "packets/own_packet_fields.h"
#include "packets/peer_list_packet.h"
#include "peers/live_peer_list.h"
#include "peers/sender_address.h"
#include "session/channel_session.h"

namespace {

// The round-trip time of a hello from the tick count its answer echoes, on the wrapping 32-bit
// clock. An answer within the same millisecond counts as 1 ms: a round-trip time of 0 means
// "not measured" to the address pool, which would then never file the peer as measured.
uint32_t RoundTripMs(uint32_t now, uint32_t echoed_tick) {
    const uint32_t elapsed = TickElapsed(now, echoed_tick);
    return elapsed == 0 ? 1 : elapsed;
}

// A peer list must not name the asker to itself: its table entry carries the address it states
// (or the one its connection came from) with its two ports.
bool IsAsker(const PeerRecord& record, const PeerAddress& stated, uint32_t source_ipv4) {
    const PeerAddress& a = record.address;
    return a.tcp_port == stated.tcp_port && a.udp_port == stated.udp_port &&
           (a.ipv4 == stated.ipv4 || a.ipv4 == source_ipv4);
}

}  // namespace

CPeerExchange::CPeerExchange(CChannelSession* session) : m_session(session) {
    m_timer.SetOwner(this);
}

CPeerExchange::~CPeerExchange() {
    m_state = kStopped;
    m_timer.Stop();
}

void CPeerExchange::Start(bool with_timer) {
    m_state = kRunning;
    if (with_timer) m_timer.Start(kTickMs);
}

void CPeerExchange::OnTimer(CCoreTimer*) {
    if (m_state == kRunning) Tick();
}

void CPeerExchange::Tick() {
    PeerAddress peer;
    for (uint32_t i = 0; i < kHellosPerTick && m_session->TakeCandidate(&peer); ++i) SendHello(peer);
}

void CPeerExchange::SendHello(const PeerAddress& peer) {
    const uint8_t* stats = m_session->StatsBlock();
    if (!stats) return;
    PeerPacket hello;
    BuildHelloPacket(hello, own_fields::ChannelGuid(stats), own_fields::PeerId(stats), own_fields::Address(stats),
                     own_fields::FreeSlots(stats), EngineTick());
    const NetSockAddr to = UdpSocketAddress(peer);
    NetSendTo(m_session->UdpSocket(), hello.bytes, hello.length, &to);
}

bool CPeerExchange::IsFromOtherPeerOfChannel(const uint8_t* channel_guid, const uint8_t* sender_id) const {
    const uint8_t* stats = m_session->StatsBlock();
    return stats && !SameGuid(sender_id, own_fields::PeerId(stats)) &&
           SameGuid(channel_guid, own_fields::ChannelGuid(stats));
}

void CPeerExchange::OnHello(const NetSockAddr* sender, const uint8_t* packet, uint32_t length) {
    HelloView hello(packet, length);
    NetSockAddr from;
    if (!CopySenderAddress(sender, &from) || !hello.IsValid()) return;
    if (!IsFromOtherPeerOfChannel(hello.ChannelGuid(), hello.SenderId())) return;
    const PeerAddress stated = hello.Address();
    const uint32_t source_ipv4 = SocketAddressIPv4(from);
    // A host whose datagrams come from another address than the one it states stays unknown.
    if (source_ipv4 == stated.ipv4) m_session->AddCandidate(stated);
    if (!m_answer_limiter.Admit(source_ipv4, EngineTick())) return;
    AnswerHello(from, hello);
}

void CPeerExchange::AnswerHello(const NetSockAddr& sender, const HelloView& hello) {
    const uint8_t* stats = m_session->StatsBlock();
    std::vector<PeerRecord> others;
    if (const uint8_t* table = m_session->PeerTable()) others = ListLivePeers(table);
    const PeerAddress stated = hello.Address();
    const uint32_t source_ipv4 = SocketAddressIPv4(sender);
    std::erase_if(others, [&](const PeerRecord& r) { return IsAsker(r, stated, source_ipv4); });

    // More live peers than one list holds: each answer starts further on, so that large swarms
    // still get to know all of them.
    const uint32_t live = static_cast<uint32_t>(others.size());
    std::vector<PeerRecord> listed;
    if (live > kPeerListMaxOtherRecords) {
        listed.reserve(kPeerListMaxOtherRecords);
        for (uint32_t i = 0; i < kPeerListMaxOtherRecords; ++i) listed.push_back(others[(m_list_rotation + i) % live]);
        m_list_rotation = (m_list_rotation + kPeerListMaxOtherRecords) % live;
    } else {
        listed.swap(others);
    }

    PeerPacket answer;
    BuildPeerListPacket(answer, own_fields::ChannelGuid(stats), own_fields::PeerId(stats), hello.Tick(),
                        own_fields::Record(stats), listed.data(), static_cast<uint32_t>(listed.size()));
    NetSendTo(m_session->UdpSocket(), answer.bytes, answer.length, &sender);
}

void CPeerExchange::OnPeerList(const NetSockAddr*, const uint8_t* packet, uint32_t length) {
    PeerListView list(packet, length);
    if (!list.IsValid()) return;
    if (!IsFromOtherPeerOfChannel(list.ChannelGuid(), list.SenderId())) return;
    const uint8_t count = list.RecordCount();
    if (count == 0) return;
    m_session->ReportPeer(list.RecordAt(0).address, RoundTripMs(EngineTick(), list.EchoedTick()));
    m_session->AddPeerRecords(count - 1u, list.RecordBytes(1));
}

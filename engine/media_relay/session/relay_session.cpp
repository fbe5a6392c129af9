#include "session/relay_session.h"

#include <new>

#include "engine_tables.h"
#include "links/link_manager.h"
#include "message_ids.h"
#include "peers/peer_address.h"
#include "peers/peer_address_pool.h"
#include "peers/peer_exchange.h"
#include "transfer/piece_scheduler.h"

CRelaySession::CRelaySession(void* create_param_block) : CChannelSession(create_param_block) {}

CRelaySession::~CRelaySession() {
    StopTransfers();
}

bool CRelaySession::Open() {
    if (!CChannelSession::Open()) return false;
    CoreRegisterMessageBase(MSG_RELAY_BASE);
    m_pool.reset(new (std::nothrow) CPeerAddressPool(this, kPoolRestMs));
    if (!m_pool) return false;
    m_link_manager.reset(new (std::nothrow) CLinkManager(this));
    if (!m_link_manager) return false;
    m_link_manager->SetLinks(LinkCount(), LinkEntries());  // its first broadcast goes out now
    m_peer_exchange.reset(new (std::nothrow) CPeerExchange(this));
    if (!m_peer_exchange) return false;
    m_peer_exchange->Start(true);
    m_scheduler.reset(new (std::nothrow) CPieceScheduler(this));
    if (!m_scheduler) return false;
    m_scheduler->StartScheduler(SourcePeerCount(), SourcePeers());
    return true;
}

bool CRelaySession::AddCandidate(const PeerAddress& address) {
    return m_pool && m_pool->AddCandidate(address);
}

bool CRelaySession::ReportPeer(const PeerAddress& address, uint32_t round_trip_ms) {
    return m_pool && m_pool->ReportPeer(address, round_trip_ms);
}

bool CRelaySession::TakeCandidate(PeerAddress* address) {
    return m_pool && m_pool->HasRoom() && m_pool->TakeCandidate(address);
}

bool CRelaySession::NextPeer(PeerAddress* address, uint32_t* value) {
    return m_pool && m_pool->NextPeer(address, value);
}

bool CRelaySession::NeedMorePeers() {
    return m_pool && m_pool->NeedMorePeers();
}

void CRelaySession::BroadcastToLinks() {
    if (m_link_manager) m_link_manager->Broadcast();
}

void CRelaySession::ExpirePeers() {
    if (m_pool) m_pool->Expire(CPeerAddressPool::kExpiryMs);
}

bool CRelaySession::ReportTransfer(const PeerAddress& address, uint32_t value) {
    return m_pool && m_pool->ReportTransfer(address, value);
}

PeerAddressSet* CRelaySession::SourcePeerSet() { return m_pool ? &m_pool->SourcePeers() : nullptr; }
const PeerAddressSet* CRelaySession::SourcePeerSet() const { return m_pool ? &m_pool->SourcePeers() : nullptr; }
PeerAddressSet* CRelaySession::HostPeerSet() { return m_pool ? &m_pool->HostPeers() : nullptr; }
const PeerAddressSet* CRelaySession::HostPeerSet() const { return m_pool ? &m_pool->HostPeers() : nullptr; }

void CRelaySession::SetHostPeers(uint32_t count, const uint8_t* addresses) {
    if (!m_pool) return;
    if (count > kMaxHostPeers) count = kMaxHostPeers;
    const PeerAddress own = OwnAddress();
    for (uint32_t i = 0; i < count; ++i) {
        const PeerAddress address = ReadPeerAddress(addresses + i * kPeerAddressSize);
        if (address.ipv4 == own.ipv4 && address.tcp_port == own.tcp_port) continue;
        m_pool->HostPeers().Insert(address);
    }
}

void CRelaySession::OnLinksUp() {
    BroadcastToLinks();
    CChannelSession::OnLinksUp();
}

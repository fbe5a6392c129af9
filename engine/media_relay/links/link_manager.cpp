#include "links/link_manager.h"

#include "links/peer_link.h"
#include "links/server_link.h"
#include "packets/announce_packet.h"
#include "packets/link_replies.h"
#include "packets/own_packet_fields.h"
#include "peers/sender_address.h"
#include "session/channel_session.h"

CLinkManager::CLinkManager(CChannelSession* session) : CLinkManagerBase(session) {}

// The links go here, while this manager's operations still answer the links' calls.
CLinkManager::~CLinkManager() {
    DeleteLinks();
}

CPeerLink* CLinkManager::CreateLink(const uint8_t* entry) {
    return new CServerLink(this, entry);
}

void CLinkManager::SetLinks(uint32_t count, const uint8_t* entries) {
    m_current = 0;
    m_wrapped = 0;
    CLinkManagerBase::SetLinks(count, entries);
    StartCurrent();
    Broadcast();
}

void CLinkManager::StartCurrent() {
    CPeerLink* link = Current();
    if (!link) return;
    link->Stop();
    link->SendJoin();
}

void CLinkManager::OnPeriodic() {
    if (CPeerLink* link = Current()) link->SendStatus();
}

void CLinkManager::OnLinkReplied(CPeerLink*) {
    if (CPeerLink* current = Current()) current->ClearFailures();
}

bool CLinkManager::OnLinkTimeout(CPeerLink* link) {
    if (link->AddFailure() == 0) return true;
    if (++m_current >= LinkCount()) {
        m_current = 0;
        m_wrapped = 1;
    }
    StartCurrent();
    return false;
}

void CLinkManager::Broadcast() {
    if (LinkCount() == 0) return;
    const uint8_t* stats = GetSession()->StatsBlock();
    if (!stats) return;
    PeerPacket announce;
    BuildAnnouncePacket(announce, own_fields::ChannelGuid(stats), own_fields::PeerId(stats),
                        own_fields::Status(stats), own_fields::Pieces(stats));
    const bool current_is_request = Current()->Kind() == kLinkRequest;
    for (uint32_t i = 0; i < LinkCount(); ++i) {
        CPeerLink* link = LinkAt(i);
        SetAnnounceCounts(announce, link->PeerListsReceived(), link->WantedRecords());
        if (link->Kind() != kLinkRequest || m_wrapped || current_is_request) link->Send(announce.bytes, announce.length);
    }
}

void CLinkManager::OnType1Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                                uint32_t length) {
    CPeerLink* current = Current();
    NetSockAddr from;
    if (!current || !CopySenderAddress(sender, &from) || !current->IsReplyFrom(source_kind, from)) return;
    JoinReplyView reply(packet, length);
    if (reply.Flag() != kReplyFlag) return;
    if (reply.IsValid()) current->OnJoinReply(reply);
    m_wrapped = 0;
}

void CLinkManager::OnType2Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                                uint32_t length) {
    PeerListReplyView reply(packet, length);
    if (reply.Flag() != kReplyFlag || !reply.IsValid()) return;
    CPeerLink* link = FindLink(source_kind, sender);
    if (!link) return;
    link->CountPeerList();
    CChannelSession* session = GetSession();
    const SourceRange source = reply.Source();
    session->SetSourceRange(source.low, source.high);
    session->AddCandidateRecords(reply.RecordCount(), reply.RecordBytes(0));
}

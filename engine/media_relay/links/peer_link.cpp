#include "links/peer_link.h"

#include "engine_tables.h"
#include "links/link_manager_base.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "packets/own_packet_fields.h"
#include "packets/packet_header.h"
#include "session/channel_session.h"

uint32_t StatusIntervalMs(uint16_t keep_alive_seconds, uint8_t link_kind) {
    uint32_t ms = keep_alive_seconds >= kShortestKeepAliveSeconds ? keep_alive_seconds * 1000u
                                                                  : kDefaultStatusIntervalMs;
    if (link_kind == kLinkRequest) ms *= 2;
    return ms;
}

CPeerLink::CPeerLink(CLinkManagerBase* owner, const uint8_t* entry) : m_owner(owner) {
    for (uint32_t i = 0; i < kLinkEntrySize; ++i) m_entry[i] = entry[i];
    m_status_timer.SetOwner(this);
    m_reply_timer.SetOwner(this);
}

CPeerLink::~CPeerLink() {
    m_status_timer.Stop();
    m_reply_timer.Stop();
}

CChannelSession* CPeerLink::Session() const {
    return m_owner->GetSession();
}

void CPeerLink::OnTimer(CCoreTimer* timer) {
    if (timer == &m_reply_timer) {
        Down();
        if (m_owner->OnLinkTimeout(this)) SendJoin();
    } else if (timer == &m_status_timer) {
        SendStatus();
    }
}

bool CPeerLink::Send(const uint8_t* data, uint32_t length) {
    CChannelSession* session = Session();
    const LinkEntry entry = Entry();
    if (entry.kind == kLinkUdp) {
        const NetSockAddr to = ServerSocketAddress(entry);
        return NetSendTo(session->UdpSocket(), data, length, &to) != 0;
    }
    if (entry.kind == kLinkRequest) {
        CreateNetRequestFn create_request = session->CreateNetRequest();
        if (!create_request) return false;
        CMessageObject* requester = session;  // the reply comes back to the session's Receive
        return create_request(requester, entry.server_ipv4, entry.server_port, kRequestTimeoutMs, data, length) !=
               nullptr;
    }
    return false;
}

bool CPeerLink::SendWithReply(const PeerPacket& packet) {
    if (m_reply_timer.IsRunning()) return false;
    if (Kind() != kLinkRequest) Send(packet.bytes, packet.length);
    m_reply_timer.Start(kReplyTimeoutMs);
    return true;
}

bool CPeerLink::SendStatus() {
    const uint8_t* stats = Session()->StatsBlock();
    if (!stats) return false;
    PeerPacket packet;
    BuildLinkStatusPacket(packet, own_fields::ChannelGuid(stats), own_fields::PeerId(stats),
                          own_fields::Status(stats), own_fields::Pieces(stats));
    return SendWithReply(packet);
}

void CPeerLink::Stop() {
    m_status_timer.Stop();
    m_reply_timer.Stop();
    if (IsUp()) {
        SendLeave();
        Down();
    }
}

void CPeerLink::Up() {
    m_state = kUp;
    Session()->OnLinkState(m_entry, true);
    m_status_timer.Stop();
    m_status_timer.Start(m_status_interval);
}

void CPeerLink::Down() {
    m_status_timer.Stop();
    m_state = kDown;
    Session()->OnLinkState(m_entry, false);
}

void CPeerLink::OnJoinReply(const JoinReplyView& reply) {
    m_reply_timer.Stop();
    m_status_interval = StatusIntervalMs(reply.KeepAliveSeconds(), Kind());
    CChannelSession* session = Session();
    session->SetPublicAddress(reply.SeenIPv4());
    const SourceRange source = reply.Source();
    session->SetSourceRange(source.low, source.high);
    Up();
    m_owner->OnLinkReplied(this);
}

void CPeerLink::OnStatusReply(const StatusReplyView& reply) {
    m_reply_timer.Stop();
    const SourceRange source = reply.Source();
    Session()->SetSourceRange(source.low, source.high);
    m_owner->OnLinkReplied(this);
}

void CPeerLink::CountPeerList() {
    ++m_peer_lists;
    m_failures = 0;
}

bool CPeerLink::IsReplyFrom(uint32_t source_kind, const NetSockAddr& sender) const {
    return ::IsReplyFrom(Entry(), source_kind, sender);
}

#include "links/link_manager_base.h"

#include "links/link_entry.h"
#include "links/peer_link.h"
#include "packets/link_replies.h"
#include "peers/sender_address.h"

CLinkManagerBase::CLinkManagerBase(CChannelSession* session) : m_session(session) {
    m_status_period.SetOwner(this);
    m_status_period.Start(kStatusPeriodMs);
}

CLinkManagerBase::~CLinkManagerBase() {
    DeleteLinks();
    m_status_period.Stop();
}

void CLinkManagerBase::DeleteLinks() {
    // Taken out first, so that nothing reached from a link's leave finds a half-deleted array.
    std::vector<std::unique_ptr<CPeerLink>> links;
    links.swap(m_links);
    for (std::unique_ptr<CPeerLink>& link : links) {
        link->Stop();
        link.reset();
    }
}

void CLinkManagerBase::OnTimer(CCoreTimer*) {
    OnPeriodic();
}

void CLinkManagerBase::SetLinks(uint32_t count, const uint8_t* entries) {
    DeleteLinks();
    if (!entries) return;
    if (count > kMaxLinks) count = kMaxLinks;
    for (uint32_t i = 0; i < count; ++i) {
        if (CPeerLink* link = CreateLink(entries + kLinkEntrySize * i)) m_links.emplace_back(link);
    }
}

CPeerLink* CLinkManagerBase::FindLink(uint32_t source_kind, const NetSockAddr* sender) const {
    NetSockAddr from;
    if (!CopySenderAddress(sender, &from)) return nullptr;
    for (const std::unique_ptr<CPeerLink>& link : m_links)
        if (link->IsReplyFrom(source_kind, from)) return link.get();
    return nullptr;
}

void CLinkManagerBase::OnType3Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                                    uint32_t length) {
    StatusReplyView reply(packet, length);
    if (reply.Flag() != kReplyFlag || !reply.IsValid()) return;
    if (CPeerLink* link = FindLink(source_kind, sender)) link->OnStatusReply(reply);
}

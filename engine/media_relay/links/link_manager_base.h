// Owner of a session's links to the link servers: creates them from the CreateParamBlock's
// entries, hands them the servers' replies and sends a status on a 300000 ms period. Which
// link is current and how replies and time-outs move it along is the derived manager's part.
// Message loop thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "io/core_timer.h"
#include "outside_abi.h"

class CChannelSession;
class CPeerLink;

class CLinkManagerBase : public CTimerOwner {
public:
    static constexpr uint32_t kStatusPeriodMs = 300000;
    static constexpr uint32_t kMaxLinks = 16;  // what the CreateParamBlock's link area holds

    explicit CLinkManagerBase(CChannelSession* session);
    // Stops every link (a link that is up sends its leave), deletes them, stops the period.
    ~CLinkManagerBase() override;

    void OnTimer(CCoreTimer* timer) override;
    virtual void Broadcast() {}
    // `entries`: `count` 16-byte link entries; replaces any links made before.
    virtual void SetLinks(uint32_t count, const uint8_t* entries);
    virtual CChannelSession* GetSession() const { return m_session; }
    virtual void OnLinkReplied(CPeerLink*) {}
    // True: the link joins its server again.
    virtual bool OnLinkTimeout(CPeerLink*) { return true; }
    // The session's receive path, by packet type; `sender` is the datagram's source address and
    // `source_kind` says how it came (a LinkKind).
    // Nothing sends a type 5 reply; the slot keeps its place in the table order.
    virtual void OnType5Reply(uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
    virtual void OnType1Reply(uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
    virtual void OnType3Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                              uint32_t length);
    virtual void OnType2Reply(uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
    virtual CPeerLink* CreateLink(const uint8_t* entry) = 0;
    virtual void StartCurrent() {}
    virtual void OnPeriodic() {}

    uint32_t LinkCount() const { return static_cast<uint32_t>(m_links.size()); }
    CPeerLink* LinkAt(uint32_t index) const { return index < m_links.size() ? m_links[index].get() : nullptr; }
    // The link a reply came from: same kind, server IPv4 and port; null for strangers.
    CPeerLink* FindLink(uint32_t source_kind, const NetSockAddr* sender) const;

protected:
    void DeleteLinks();

private:
    CChannelSession* m_session;
    std::vector<std::unique_ptr<CPeerLink>> m_links;
    CPeriodicTimer m_status_period;
};

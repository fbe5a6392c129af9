// The session's link manager: keeps exactly one link current, in round robin over the
// CreateParamBlock's servers. Only the current link joins and can come up; a link whose
// server stays quiet for 4000 ms hands over to the next one. Announces go to every link,
// request links among them only once the round has wrapped or while one of them is current.
#pragma once

#include <cstdint>

#include "links/link_manager_base.h"

class CLinkManager : public CLinkManagerBase {
public:
    explicit CLinkManager(CChannelSession* session);
    ~CLinkManager() override;

    void Broadcast() override;
    void SetLinks(uint32_t count, const uint8_t* entries) override;
    void OnLinkReplied(CPeerLink* link) override;
    bool OnLinkTimeout(CPeerLink* link) override;
    void OnType1Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                      uint32_t length) override;
    void OnType2Reply(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                      uint32_t length) override;
    CPeerLink* CreateLink(const uint8_t* entry) override;
    void StartCurrent() override;
    void OnPeriodic() override;

    uint32_t CurrentIndex() const { return m_current; }
    CPeerLink* Current() const { return LinkAt(m_current); }
    // Set once every server has had its turn without answering, cleared by the next answer.
    bool Wrapped() const { return m_wrapped != 0; }

private:
    uint32_t m_current = 0;
    uint8_t m_wrapped = 0;
};

// One link to a link server: joins the channel there, keeps reporting its status while up and
// waits at most 4000 ms for each answer. Which link is current, and what happens when a link
// goes quiet, is its manager's business. Message loop thread only.
#pragma once

#include <cstdint>

#include "io/core_timer.h"
#include "links/link_entry.h"
#include "outside_abi.h"

class CChannelSession;
class CLinkManagerBase;
class JoinReplyView;
class StatusReplyView;
struct PeerPacket;

// How often a link that is up reports its status: the keep-alive its server asked for in the
// join reply, or a safe default when the server asks for something too short.
constexpr uint32_t kDefaultStatusIntervalMs = 40000;
// Keep-alives below this many seconds are not honoured.
constexpr uint16_t kShortestKeepAliveSeconds = 10;

// `link_kind` is the link's LinkKind; request links (one TCP exchange per packet) report at
// twice the interval.
uint32_t StatusIntervalMs(uint16_t keep_alive_seconds, uint8_t link_kind);

class CPeerLink : public CTimerOwner {
public:
    static constexpr uint32_t kReplyTimeoutMs = 4000;
    static constexpr uint32_t kRequestTimeoutMs = 30000;  // a request link's TCP exchange
    static constexpr uint16_t kWantedRecords = 50;

    // `entry`: the link's 16 bytes from the CreateParamBlock, copied.
    CPeerLink(CLinkManagerBase* owner, const uint8_t* entry);
    ~CPeerLink() override;

    void OnTimer(CCoreTimer* timer) override;
    virtual bool SendJoin() = 0;
    virtual bool SendLeave() = 0;

    // One packet to the server by the link's kind; false when it could not go out. A request
    // link's send counts as done once the request exists: its answer or failure comes later.
    bool Send(const uint8_t* data, uint32_t length);
    // Sends a packet that the server answers and starts the reply timer. False, and nothing
    // sent, while an earlier request is still waiting. Request links never send these: their
    // timer simply runs out.
    bool SendWithReply(const PeerPacket& packet);
    bool SendStatus();
    // Both timers off; a link that is up says goodbye and goes down.
    void Stop();
    void Up();
    void Down();

    // Replies the manager matched to this link, with views that are valid.
    void OnJoinReply(const JoinReplyView& reply);
    void OnStatusReply(const StatusReplyView& reply);
    // A peer list from this link's server arrived.
    void CountPeerList();

    bool IsReplyFrom(uint32_t source_kind, const NetSockAddr& sender) const;
    LinkEntry Entry() const { return ReadLinkEntry(m_entry); }
    uint8_t Kind() const { return Entry().kind; }
    bool IsUp() const { return m_state == kUp; }
    bool AwaitsReply() const { return m_reply_timer.IsRunning(); }
    uint32_t StatusInterval() const { return m_status_interval; }
    // One more failure; the count is 16 bits and wraps.
    uint16_t AddFailure() { return ++m_failures; }
    void ClearFailures() { m_failures = 0; }
    uint8_t PeerListsReceived() const { return m_peer_lists; }
    uint16_t WantedRecords() const { return m_wanted_records; }

protected:
    CChannelSession* Session() const;

private:
    enum State : uint8_t { kDown = 0, kUp = 1 };

    CLinkManagerBase* m_owner;
    CPeriodicTimer m_status_timer;
    COneShotTimer m_reply_timer;
    uint8_t m_entry[kLinkEntrySize];
    uint32_t m_status_interval = kDefaultStatusIntervalMs;
    uint8_t m_state = kDown;
    uint16_t m_failures = 0;
    uint8_t m_peer_lists = 0;  // wraps at 256, as the announce expects
    uint8_t m_wanted_records = kWantedRecords;
};

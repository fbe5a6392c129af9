// Makes a channel's peers known to each other over UDP. Once a second it greets fresh
// candidates from the address pool with a hello; it answers hellos with a peer list naming
// this host and its live peers; and from each peer list it gets it measures the round-trip
// time to the answering peer and learns more candidates. Message loop thread only.
#pragma once

#include <cstdint>

#include "io/core_timer.h"
#include "outside_abi.h"
#include "peers/hello_answer_limiter.h"
#include "peers/peer_address.h"

class CChannelSession;
class HelloView;

class CPeerExchange : public CTimerOwner {
public:
    static constexpr uint32_t kTickMs = 1000;
    static constexpr uint32_t kHellosPerTick = 50;

    explicit CPeerExchange(CChannelSession* session);
    ~CPeerExchange() override;

    // Running from now on; with `with_timer`, greets candidates every second.
    void Start(bool with_timer);
    void OnTimer(CCoreTimer* timer) override;
    // Greets up to 50 candidates that the session hands out.
    void Tick();
    // The session's receive path for 'A' and 'B' datagrams; `sender` is the source address.
    void OnHello(const NetSockAddr* sender, const uint8_t* packet, uint32_t length);
    void OnPeerList(const NetSockAddr* sender, const uint8_t* packet, uint32_t length);

    bool IsRunning() const { return m_state == kRunning; }

private:
    enum State : uint8_t { kRunning = 1, kStopped = 2 };

    void SendHello(const PeerAddress& peer);
    void AnswerHello(const NetSockAddr& sender, const HelloView& hello);
    // Whether a packet with this channel and sender id is one to handle.
    bool IsFromOtherPeerOfChannel(const uint8_t* channel_guid, const uint8_t* sender_id) const;

    CChannelSession* m_session;
    uint8_t m_state = kStopped;
    CPeriodicTimer m_timer;
    CHelloAnswerLimiter m_answer_limiter;
    // Where the next answer starts listing when there are more live peers than fit.
    uint32_t m_list_rotation = 0;
};

// The live-channel component that the module creates: a channel session with its own peer
// address pool, which the session's operations hand to the parts.
#pragma once

#include <cstdint>

#include "session/channel_session.h"

class CRelaySession : public CChannelSession {
public:
    static constexpr uint32_t kPoolRestMs = 30000;

    explicit CRelaySession(void* create_param_block);
    // Stops the transfers while this session's operations are in force, so a departing
    // transfer still reports to the pool; the parts then go, the pool last.
    ~CRelaySession() override;

    // Builds the session and its parts; false when any of them cannot be had.
    bool Open();

    bool AddCandidate(const PeerAddress& address) override;
    bool ReportPeer(const PeerAddress& address, uint32_t round_trip_ms) override;
    bool TakeCandidate(PeerAddress* address) override;
    bool NextPeer(PeerAddress* address, uint32_t* value) override;
    bool NeedMorePeers() override;
    void BroadcastToLinks() override;
    void ExpirePeers() override;
    bool ReportTransfer(const PeerAddress& address, uint32_t value) override;
    PeerAddressSet* SourcePeerSet() override;
    const PeerAddressSet* SourcePeerSet() const override;
    PeerAddressSet* HostPeerSet() override;
    const PeerAddressSet* HostPeerSet() const override;
    void SetHostPeers(uint32_t count, const uint8_t* addresses) override;
    void OnLinksUp() override;

    CPeerAddressPool* Pool() const { return m_pool.get(); }
};

// The channel's piece scheduler: keeps the set of peer transfers, opens outgoing transfer
// connections to addresses the session's address pool offers, takes the incoming ones the
// framework hands over, closes the slowest when transfer slots run short, picks the piece at
// which playing starts, and twice a second decides which pieces to request from which
// transfer: first in playing order just ahead of the play cursor, then rarest first further
// ahead. It reaches the pool, the stream buffer and the statistics block only through the
// session.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "io/core_timer.h"
#include "io/socket_event_sink.h"
#include "peers/peer_address.h"
#include "session/stats_block.h"

class CChannelSession;
class CPeerTransfer;
class CPiece;
class CStreamBuffer;
class CTcpSocket;

class CPieceScheduler : public CTimerOwner, public CSocketEventSink {
public:
    static constexpr uint32_t kLinkTickMs = 1000;
    static constexpr uint32_t kRequestPassMs = 500;
    static constexpr uint32_t kFirstLinkInterval = 2000;
    static constexpr uint32_t kMaxDoubledInterval = 65000;
    static constexpr uint32_t kStartWaitMs = 4000;
    static constexpr uint32_t kRechooseStartMs = 60000;
    static constexpr uint32_t kBroadcastMs = 5000;
    static constexpr uint32_t kTimeoutCheckMs = 1000;
    static constexpr uint32_t kRequestTimeoutMs = 5000;
    static constexpr uint32_t kDenseResourcePosition = 33;  // percent
    static constexpr uint32_t kMaxListedPeers = 64;
    static constexpr int32_t kKeptFreeSlots = 5;
    static constexpr int32_t kClosingFreeSlots = 10;
    static constexpr uint32_t kMinStartCandidates = 5;
    static constexpr uint32_t kInOrderSpan = 500;
    static constexpr uint32_t kMaxInOrderRequests = 30;  // a pass stops after one more than this
    static constexpr uint32_t kRarestFirstOffset = 31;
    static constexpr uint32_t kRarestFirstSpan = 10000;
    static constexpr uint32_t kStartRangeMargin = 1000;
    // Connect time-outs in seconds: early links, later links, links to listed peers.
    static constexpr int kEarlyConnectSeconds = 5;
    static constexpr int kConnectSeconds = 10;
    static constexpr int kListedConnectSeconds = 60;
    static constexpr uint32_t kEarlyTicks = 10;
    static constexpr uint32_t kSourceWindow = 8;
    static constexpr uint32_t kPlainWindow = 1;

    explicit CPieceScheduler(CChannelSession* session);
    ~CPieceScheduler() override;

    // `entries`: `count` 8-byte peer addresses, the channel's source peers; at most 64 used.
    bool StartScheduler(uint32_t count, const uint8_t* entries);
    int StopScheduler();

    int OnMessage(FrameworkMessage* msg) override;
    void OnTimer(CCoreTimer* timer) override;
    void OnConnected(CNetSocket* socket) override;
    void OnConnectFailed(CNetSocket* socket, uint32_t error) override;

    // A connection the framework handed over (MSG_CONNECTION_HANDOVER) with its first frame,
    // which is freed here in every case. False when it was closed.
    bool AcceptTransfer(int socket_id, const uint8_t* data, uint32_t length);
    // Removes and deletes the transfer when it is still in the set. A negative reason keeps the
    // pool from hearing of it.
    void RemoveTransfer(CPeerTransfer* transfer, int32_t reason);

    // What the transfers ask of the scheduler.
    void DeliverPiece(std::unique_ptr<CPiece> piece);
    bool RemovePieceRequest(uint32_t piece);
    CPiece* GetPiece(uint32_t piece) const;
    bool HasTransfer(const CPeerTransfer* transfer) const;
    // Another established transfer already greeted by the peer with this id.
    bool HasOtherPeer(const CPeerTransfer* asking, const uint8_t* peer_id) const;
    CChannelSession* Session() const { return m_session; }
    uint32_t PassCount() const { return static_cast<uint32_t>(m_pass_count); }
    uint32_t PassTick() const { return m_pass_tick; }

    // The two timer bodies, also for tests that drive them directly.
    void LinkTick();
    void RequestPass();

    // Figures for tests and the statistics.
    uint32_t TransferCount() const { return static_cast<uint32_t>(m_transfers.size()); }
    uint32_t PendingConnects() const { return static_cast<uint32_t>(m_pending.size()); }
    bool StartChosen() const { return m_start_chosen; }
    uint32_t ChooseStartPiece() const;
    template <class Fn>
    void ForEachTransfer(Fn fn) const {
        for (const auto& entry : m_transfers) fn(entry.second.get());
    }

private:
    struct PendingConnect {
        std::unique_ptr<CTcpSocket> socket;
        PeerAddress address;
        bool listed = false;
    };
    using Candidates = std::multimap<uint32_t, CPeerTransfer*, std::greater<uint32_t>>;

    CStreamBuffer* Buffer() const;
    StatsBlockView Stats() const;
    uint16_t SysInfoWord(uint32_t offset) const;
    int32_t FreeTransferSlots() const;

    void OpenLink(const PeerAddress& address, bool listed);
    void ConnectListedPeers();
    void AskLinksForPeers(uint32_t now);
    void OpenLinksToFreeSlots();
    void CloseSlowest(int32_t free_slots);
    void BroadcastAvailability(uint32_t now);
    void CheckTimeouts(uint32_t now);
    void PublishPendingConnects();
    uint8_t* FreePeerEntry() const;
    bool HasLinkTo(const PeerAddress& address) const;
    void AddTransfer(std::unique_ptr<CTcpSocket> socket, uint8_t* entry, bool incoming, bool source);
    std::map<uint64_t, PendingConnect>::iterator FindPending(const CNetSocket* socket);

    bool ChooseStart(uint32_t now);
    uint32_t MappedTransfers() const;
    void RebuildCandidates(uint32_t cursor);
    uint32_t MostFreeSlots() const;
    bool RequestOne(uint32_t piece, uint32_t now);
    void RequestInOrder(uint32_t cursor, uint32_t now);
    void RequestRarestFirst(uint32_t cursor, uint32_t now);

    bool m_started = false;
    std::map<uint32_t, std::unique_ptr<CPeerTransfer>> m_transfers;  // by serial: creation order
    std::map<uint64_t, PendingConnect> m_pending;
    Candidates m_candidates;
    uint32_t m_request_deadline;
    bool m_start_chosen = false;
    uint32_t m_link_tick_time = 0;
    uint32_t m_link_interval;
    uint32_t m_last_broadcast = 0;
    uint32_t m_last_timeout_check = 0;
    uint32_t m_seconds = 0;
    CChannelSession* m_session;
    CPeriodicTimer m_link_timer;
    CPeriodicTimer m_request_timer;
    int32_t m_pass_count = 0;
    uint32_t m_pass_tick = 0;
    uint32_t m_next_serial = 1;
};

// One TCP connection with another peer of the channel, over which pieces are requested and
// delivered in both directions. Both sides greet with a hello; once a valid one arrived the
// transfer is established: it exchanges availability maps, answers piece requests from the
// stream buffer, sends the requests the scheduler chooses and hands the pieces it asked for to
// the scheduler. It keeps its entry of the statistics block's peer table current.
//
// A transfer never deletes itself: when it ends it posts MSG_TRANSFER_ENDED once to its
// scheduler, carrying its serial number, and ignores everything after that.
#pragma once

#include <cstdint>
#include <memory>

#include "io/core_timer.h"
#include "io/socket_event_sink.h"
#include "pieces/piece_bitmap.h"
#include "session/peer_entry.h"
#include "session/stats_block.h"
#include "transfer/request_records.h"
#include "transfer/send_backlog.h"
#include "transfer/transfer_window.h"

class CChannelSession;
class CPieceScheduler;
class CTcpSocket;
struct PeerAddress;

class CPeerTransfer : public CTimerOwner, public CSocketEventSink {
public:
    static constexpr uint32_t kHelloTimeoutMs = 4000;
    static constexpr int kCongestedSends = 500;
    static constexpr int32_t kMaxSkippedSends = 5;
    static constexpr uint32_t kMinimumPacket = 4;  // shorter buffers end the transfer
    // Notifications to the session's window: request sent, request timed out, piece arrived.
    static constexpr uint32_t kNotifyRequested = 3025;
    static constexpr uint32_t kNotifyTimedOut = 3026;
    static constexpr uint32_t kNotifyReceived = 3027;

    // Takes the socket and the free peer table entry `entry`; greets the peer at once.
    CPeerTransfer(std::unique_ptr<CTcpSocket> socket, uint8_t* entry, CPieceScheduler* scheduler, bool incoming,
                  bool source, uint32_t initial_window, uint32_t serial);
    ~CPeerTransfer() override;

    void OnTimer(CCoreTimer* timer) override;
    void OnData(CNetSocket* socket, const uint8_t* data, uint32_t length) override;
    void OnClosed(CNetSocket* socket, uint32_t error) override;

    bool RequestPiece(uint32_t piece, uint32_t timeout_ms);
    uint32_t FreeRequestSlots() const;
    // Sends to an established peer, dropping up to five packets in a row while the connection
    // is congested (for the periodic availability broadcast).
    void SendPacket(const uint8_t* packet, uint32_t length);
    void CheckRequestTimeouts();
    void SecondTick();
    void SendClose();
    // Where in this peer's map playing could start: `percent` of the way through it.
    uint32_t StartEstimate(uint32_t percent) const;
    // The peer holds `piece` and may be asked for it: maps longer than 60 pieces are not asked
    // for their first 30, which the peer is about to drop.
    bool OffersPiece(uint32_t piece) const;

    const CPieceBitmap& PeerMap() const { return m_peer_map; }
    const PeerEntry& Entry() const { return m_entry; }
    bool IsEstablished() const;
    bool IsIncoming() const { return m_incoming; }
    bool IsSource() const { return m_source; }
    uint32_t Serial() const { return m_serial; }
    uint32_t Window() const { return m_window.Size(); }
    const CRequestRecords& Requests() const { return m_requests; }
    // Bytes of this transfer's sends still queued in the network library.
    uint32_t QueuedBytes() const { return m_backlog.Bytes(); }
    // The sum of both rates of the entry's meter.
    uint32_t Rate() const;
    // The address the peer states (its IPv4 and ports as its hello gave them).
    PeerAddress StatedAddress() const;
    const uint8_t* PeerId() const;
    uint32_t PeerIPv4() const { return m_peer_ipv4; }
    uint16_t PeerPort() const { return m_peer_port; }

    static constexpr uint32_t kLongMap = 60;
    static constexpr uint32_t kSkippedHead = 30;

private:
    void ReadFarEnd();
    void Greet();
    void End();
    bool Dispatch(const uint8_t* data, uint32_t length);
    bool OnControl(const uint8_t* data, uint32_t length);
    bool OnHello(const uint8_t* data, uint32_t length);
    bool OnPeerList(const uint8_t* data, uint32_t length);
    bool OnAvailability(const uint8_t* data, uint32_t length);
    bool OnPieceRequest(const uint8_t* data, uint32_t length);
    bool OnPiece(const uint8_t* data, uint32_t length);
    void AnswerHello(uint32_t echoed_tick);
    void UpdateSourceRange(uint32_t first, uint32_t end);
    void PublishRequests();
    bool Send(const uint8_t* data, uint32_t length);
    void CountReceived(uint32_t length);
    StatsBlockView Stats() const;

    CPieceScheduler* m_scheduler;
    std::unique_ptr<CTcpSocket> m_socket;
    CChannelSession* m_session;
    CPieceBitmap m_peer_map;
    PeerEntry m_entry;
    CRequestRecords m_requests;
    CTransferWindow m_window;
    CSendBacklog m_backlog;
    COneShotTimer m_hello_timer;
    int32_t m_skipped_sends = 0;
    uint32_t m_peer_ipv4 = 0;
    uint16_t m_peer_port = 0;
    bool m_incoming;
    bool m_source;
    bool m_ending = false;
    uint32_t m_serial;
};

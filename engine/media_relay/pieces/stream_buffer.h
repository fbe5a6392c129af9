// The channel's received pieces and its play position. Data pieces are kept by number; stream
// header pieces go to the stream server. Once the first data piece arrives the buffer plays:
// every 500 ms it moves the play cursor over the pieces that are present, or whose time has
// come on the play clock, drops data pieces more than 70 s behind that clock, tells the
// stream server how far the players may read, and publishes its figures.
#pragma once

#include <cstdint>
#include <memory>

#include "io/core_timer.h"
#include "packets/transfer_packet.h"
#include "pieces/piece_index.h"

class CPeerTransfer;
class CStreamBufferOwner;
class CStreamServer;

enum BufferState : uint8_t {
    BUFFER_IDLE = 0,
    BUFFER_WAITING = 1,
    BUFFER_PLAYING = 2,
};

class CStreamBuffer : public CTimerOwner {
public:
    static constexpr uint32_t kTickMs = 500;
    static constexpr uint32_t kKeepBehindMs = 70000;
    static constexpr uint32_t kJumpAhead = 5000;
    static constexpr uint32_t kHeaderFetchTimeoutMs = 5000;

    explicit CStreamBuffer(CStreamBufferOwner* owner);
    ~CStreamBuffer() override;

    void SetStreamServer(CStreamServer* server) { m_server = server; }
    CStreamServer* StreamServer() const { return m_server; }
    uint8_t* StatsBlock() const { return m_stats; }

    bool Start();
    bool Stop();
    bool JumpTo(uint32_t number);
    void DeliverPiece(std::unique_ptr<CPiece> piece);

    // The data piece of the number, else the stream server's header piece of that number.
    CPiece* GetPiece(uint32_t number) const;
    uint32_t FirstDataPiece() const { return m_index.FirstDataPiece(); }
    uint32_t LastDataPiece() const { return m_index.LastDataPiece(); }
    uint32_t DataPieceAtOrAfter(uint32_t number) const;
    uint32_t NextDataPiece(uint32_t number) const { return m_index.NextDataPiece(number); }
    uint32_t NextHeldPiece(uint32_t number) const { return m_index.NextHeldPiece(number); }
    bool IsPieceWanted(uint32_t number) const;
    bool AddPieceRequest(uint32_t number, CPeerTransfer* requester);
    bool RemovePieceRequest(uint32_t number) { return m_index.RemoveRequest(number); }
    // The 'D' packet announcing the pieces held; empty when the core has no memory.
    CTransferPacket BuildAvailabilityPacket() const;
    int64_t ReadyTime() const;

    void OnTimer(CCoreTimer* timer) override;

    BufferState State() const { return m_state; }
    uint32_t Cursor() const { return m_cursor; }
    uint32_t Target() const { return m_target; }
    uint32_t PlayedCount() const { return m_played; }
    int32_t ReadyCount() const { return m_ready; }
    const CPieceIndex& Index() const { return m_index; }
    const CCoreTimer& Timer() const { return m_timer; }

private:
    void Reset();
    void CheckJump(const CPiece& piece);
    void StartPlaying(const CPiece& piece);
    void InsertDataPiece(std::unique_ptr<CPiece> piece);
    void AcceptHeaderPiece(std::unique_ptr<CPiece> piece);
    void EraseEntry(uint32_t number);
    void CountPlayed();

    bool Advance();
    uint32_t PlayClock() const;
    void EstimateTarget(uint32_t first, uint32_t first_time_stamp);
    void Evict();
    void PublishFigures();
    void PublishLoss(uint32_t first);
    void PublishWindow(uint32_t first);
    void PublishReadySpan(uint32_t first);

    BufferState m_state;
    CStreamBufferOwner* m_owner;
    CStreamServer* m_server;
    CPieceIndex m_index;
    uint32_t m_played;
    int32_t m_ready;
    uint32_t m_cursor;
    uint32_t m_target;
    uint32_t m_start_tick;
    uint32_t m_start_time_stamp;
    CPeriodicTimer m_timer;
    uint8_t* m_stats;
};

// Serves every header type but the key-frame ones: each player starts at a piece chosen by
// time and then gets the header's pieces in order, never more than the lead ahead of real
// time and never while its connection already queues too many sends.
#pragma once

#include <cstdint>
#include <map>

#include "serving/http_stream_session.h"

class CStreamSocket;

struct StreamSenderState {
    bool started = false;
    int32_t pending = 0;
    uint32_t start_piece = 0;
    uint32_t start_time_stamp = 0;
    uint32_t start_tick = 0;
    uint32_t lead_ms = 0;
    uint32_t next_piece = 0;
    uint32_t last_sent = 0;
    uint32_t last_send_tick = 0;
};

// A player that has its header: its connection and how far its stream has gone.
struct PacedClient {
    StreamSocketPtr connection;
    StreamSenderState sender;
};

class CPacedStreamSession : public CHttpStreamSession {
public:
    // A connection with more sends than this still queued gets nothing more in a run.
    static constexpr int32_t kMaxPendingSends = 48;

    CPacedStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                        const StreamHeaderRecord& record);
    ~CPacedStreamSession() override;

    int Stop() override;
    int NewPieces(uint32_t first, uint32_t last) override;
    uint16_t Kind() const override { return SESSION_KIND_PACED; }
    size_t ClientCount() const override { return m_clients.size(); }
    const StreamSenderState* Sender(CStreamSocket* connection) const;

    // The piece a new player starts at, 0 when there is none yet.
    uint32_t FindStartPiece() const;

protected:
    StreamSocketPtr RemoveClient(CStreamSocket* connection) override;
    bool AddClient(StreamSocketPtr connection) override;
    bool IsClient(CStreamSocket* connection) const override;

    // kRelayOk, kSenderEndPlayer or kSenderNoStartPoint.
    int RunSender(CStreamSocket* connection, StreamSenderState& sender, uint32_t last, bool forced);
    // Called while the sender is not started; kRelayOk with the sender still unstarted keeps
    // the player waiting.
    virtual int StartSender(CStreamSocket* connection, StreamSenderState& sender, uint32_t last);
    int SendPaced(CStreamSocket* connection, StreamSenderState& sender, uint32_t last, bool forced);
    void RecordSent(StreamSenderState& sender, uint32_t piece);

    std::map<CStreamSocket*, PacedClient> m_clients;

private:
    void FlushAndDropClients();
};

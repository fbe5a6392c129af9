// A player stream session serves one stream header of the channel to the local media
// players: it takes their connections from the stream server, answers each player's first
// request with the stream header (behind a fixed HTTP reply unless the header is of type 260)
// and leaves the stream pieces to its concrete senders.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "io/core_timer.h"
#include "io/socket_event_sink.h"
#include "pieces/piece.h"
#include "pieces/stream_header_record.h"

class CStreamBuffer;
class CStreamServer;
class CStreamSocket;

// A player connection held by the session that is its sink.
using StreamSocketPtr = std::unique_ptr<CStreamSocket>;

// The reply in front of every header but type 260: exactly these 73 bytes.
constexpr char kStreamReply[] = "HTTP/1.1 200 OK\r\nServer: Quorvane Media Server/1.0\r\nConnection: close\r\n\r\n";
constexpr uint32_t kStreamReplyLength = sizeof(kStreamReply) - 1;
static_assert(kStreamReplyLength == 73);

enum SessionState : uint8_t {
    SESSION_NEW = 0,
    SESSION_STARTED = 1,
    SESSION_STOPPED = 2,
};

enum SessionKind : uint16_t {
    SESSION_KIND_PACED = 1,
    SESSION_KIND_KEYFRAME = 2,
};

class CHttpStreamSession : public CTimerOwner, public CSocketEventSink {
public:
    static constexpr uint32_t kTimerMs = 1000;

    ~CHttpStreamSession() override;

    void OnTimer(CCoreTimer* timer) override;
    int Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms);
    virtual int Stop() = 0;
    virtual int NewPieces(uint32_t first, uint32_t last) = 0;
    virtual uint16_t Kind() const = 0;
    // Always true: a connection that cannot start receiving is closed at once.
    bool Accept(int socket_id, const NetSockAddr* peer);

    void OnData(CNetSocket* socket, const uint8_t* data, uint32_t length) override;
    void OnClosed(CNetSocket* socket, uint32_t error) override;

    SessionState State() const { return m_state; }
    uint32_t HeaderId() const { return m_header->Number(); }
    const StreamHeaderRecord& Header() const { return m_record; }
    size_t WaitingCount() const { return m_waiting.size(); }
    virtual size_t ClientCount() const = 0;

protected:
    // The record must be the header piece's own, already checked against its body.
    CHttpStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                       const StreamHeaderRecord& record);

    // Sends the reply and the header to a connection that is not yet a client.
    virtual bool SendHeader(CStreamSocket* connection);
    // Gives the client's connection back to the caller; null when the connection is no client.
    virtual StreamSocketPtr RemoveClient(CStreamSocket* connection) = 0;
    // Takes the connection over; on false it is gone.
    virtual bool AddClient(StreamSocketPtr connection) = 0;
    virtual bool IsClient(CStreamSocket* connection) const = 0;

    // Closes every waiting connection.
    void DropWaiting();
    void StopTimer() { m_timer.Stop(); }
    // Raises the remembered range; cleared with ClearReportedRange.
    void RememberRange(uint32_t first, uint32_t last);
    void ClearReportedRange() { m_reported_first = m_reported_last = 0; }
    uint32_t ReportedLast() const { return m_reported_last; }

    SessionState m_state;
    CPeriodicTimer m_timer;
    uint32_t m_mode;
    uint32_t m_window_ms;
    uint32_t m_lead_ms;
    CPiece* m_header;
    StreamHeaderRecord m_record;
    CStreamBuffer* m_buffer;
    CStreamServer* m_server;
    uint32_t m_http_end;
    uint32_t m_reported_first;
    uint32_t m_reported_last;
    // Connections whose player has not asked for the stream yet.
    std::map<CStreamSocket*, StreamSocketPtr> m_waiting;

private:
    // The connection out of the client map or the waiting set; one held by neither is adopted,
    // since this sink is the last one to know it.
    StreamSocketPtr TakeConnection(CStreamSocket* connection);
};

// Where the header data's own HTTP header ends: just past the first CR LF CR LF when the data
// begin with "HTTP", else 0.
uint32_t FindHttpHeaderEnd(const uint8_t* data, uint32_t length);

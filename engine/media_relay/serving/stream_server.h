// The channel's local HTTP listener for media players. It keeps the channel's stream headers
// as the stream buffer hands them over, runs one player stream session for the current
// header, and follows the stream to a newer header as its pieces come into play.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "io/listen_socket.h"
#include "io/socket_event_sink.h"
#include "pieces/piece.h"
#include "serving/piece_reader.h"

class CStreamBuffer;

enum StreamServerState : uint8_t {
    SERVER_NEW = 0,
    SERVER_STARTED = 1,
    SERVER_STOPPED = 3,
};

class CStreamServer : public CSocketEventSink {
public:
    static constexpr uint16_t kDefaultPort = 8888;
    static constexpr uint32_t kWindowMs = 45000;
    // Headers older than the current one are trimmed down to this many on a switch.
    static constexpr size_t kKeptHeaders = 20;
    // Headers come from peers: beyond this many the oldest non-current one goes at once.
    static constexpr size_t kMaxHeaders = 64;

    CStreamServer(CStreamBuffer* buffer, uint16_t port = kDefaultPort);
    ~CStreamServer() override;

    int Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms);
    void Stop();
    void Reset();
    // Takes the header piece; false (the piece destroyed) when its id is already stored.
    bool AddHeader(std::unique_ptr<CPiece> header);
    CPiece* FindHeader(uint32_t header_id) const;
    void NewPieces(uint32_t first, uint32_t last);

    int OnAccept(CListenSocket* listener, int socket_id, const NetSockAddr* peer) override;
    void OnListenEvent(CListenSocket* listener, uint32_t error) override;

    bool IsListening() const { return m_listener->IsOpen(); }
    uint16_t Port() const { return m_port; }
    uint32_t CurrentHeaderId() const { return m_current_header; }
    uint32_t WindowPiece() const { return m_window_piece; }
    size_t HeaderCount() const { return m_headers.size(); }
    bool HasSession() const { return m_reader && m_reader->HasSession(); }
    CHttpStreamSession* Session() const { return m_reader ? m_reader->Session() : nullptr; }
    StreamServerState State() const { return m_state; }

private:
    void OpenListener();
    void SwitchTo(uint32_t header_id);
    void TrimHeaders();
    void EnforceHeaderCap();
    void MoveWindowPiece(uint32_t first, uint32_t last);
    void DropAll();

    StreamServerState m_state;
    CStreamBuffer* m_buffer;
    uint16_t m_port;
    std::unique_ptr<CListenSocket> m_listener;
    std::map<uint32_t, std::unique_ptr<CPiece>> m_headers;
    uint32_t m_current_header;
    std::unique_ptr<CPieceReader> m_reader;
    uint32_t m_mode;
    uint32_t m_window_ms;
    uint32_t m_lead_ms;
    uint32_t m_window_piece;
    uint32_t m_window_length_ms;
};

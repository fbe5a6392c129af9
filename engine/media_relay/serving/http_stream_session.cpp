#include "serving/http_stream_session.h"

#include <cstring>

#include "serving/stream_socket.h"
#include "session/relay_results.h"

CHttpStreamSession::CHttpStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                                       const StreamHeaderRecord& record)
    : m_state(SESSION_NEW),
      m_mode(0),
      m_window_ms(0),
      m_lead_ms(0),
      m_header(header),
      m_record(record),
      m_buffer(buffer),
      m_server(server),
      m_http_end(FindHttpHeaderEnd(record.data, record.data_length)),
      m_reported_first(0),
      m_reported_last(0) {}

CHttpStreamSession::~CHttpStreamSession() {
    DropWaiting();
    m_timer.Stop();
}

uint32_t FindHttpHeaderEnd(const uint8_t* data, uint32_t length) {
    if (length < 4 || std::memcmp(data, "HTTP", 4) != 0) return 0;
    // The end may be the very end of the data: a header piece that holds nothing but the head.
    for (uint32_t i = 4; i <= length; ++i)
        if (std::memcmp(data + i - 4, "\r\n\r\n", 4) == 0) return i;
    return 0;
}

int CHttpStreamSession::Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms) {
    if (m_state != SESSION_NEW) return kRelayFail;
    m_mode = mode;
    m_window_ms = window_ms;
    m_lead_ms = lead_ms;
    m_timer.SetOwner(this);
    m_timer.Start(kTimerMs);
    m_state = SESSION_STARTED;
    return kRelayOk;
}

void CHttpStreamSession::OnTimer(CCoreTimer*) {
    if (m_reported_first && m_reported_last) NewPieces(m_reported_first, m_reported_last);
}

bool CHttpStreamSession::Accept(int socket_id, const NetSockAddr*) {
    auto connection = std::make_unique<CStreamSocket>(socket_id);
    connection->SetSink(this);
    if (connection->StartReceive()) {
        CStreamSocket* key = connection.get();
        m_waiting.emplace(key, std::move(connection));
    }
    return true;
}

void CHttpStreamSession::OnData(CNetSocket* socket, const uint8_t*, uint32_t) {
    // The request itself is not examined: any data asks for the stream.
    auto* connection = static_cast<CStreamSocket*>(socket);
    if (m_state == SESSION_STARTED && IsClient(connection)) return;  // its header went out already
    StreamSocketPtr owned = TakeConnection(connection);
    // A connection that cannot take the header is closed with the pointer.
    if (SendHeader(connection)) AddClient(std::move(owned));
}

void CHttpStreamSession::OnClosed(CNetSocket* socket, uint32_t) {
    TakeConnection(static_cast<CStreamSocket*>(socket));
}

StreamSocketPtr CHttpStreamSession::TakeConnection(CStreamSocket* connection) {
    if (StreamSocketPtr client = RemoveClient(connection)) return client;
    auto it = m_waiting.find(connection);
    if (it == m_waiting.end()) return StreamSocketPtr(connection);
    StreamSocketPtr waiting = std::move(it->second);
    m_waiting.erase(it);
    return waiting;
}

bool CHttpStreamSession::SendHeader(CStreamSocket* connection) {
    if (m_state != SESSION_STARTED) return false;
    bool sent;
    if (m_record.type == kHeaderTypeRaw) {
        sent = connection->Send(m_record.data, m_record.data_length);
    } else {
        sent = connection->Send(kStreamReply, kStreamReplyLength);
        const uint32_t rest = m_record.data_length - m_http_end;
        if (sent && rest > 0) sent = connection->Send(m_record.data + m_http_end, rest);
    }
    return sent;
}

void CHttpStreamSession::DropWaiting() {
    std::map<CStreamSocket*, StreamSocketPtr> waiting;
    waiting.swap(m_waiting);  // each closes as the local map goes
}

void CHttpStreamSession::RememberRange(uint32_t first, uint32_t last) {
    if (first > m_reported_first) m_reported_first = first;
    if (last > m_reported_last) m_reported_last = last;
}

#include "serving/stream_server.h"

#include <utility>

#include "engine_tables.h"
#include "pieces/stream_buffer.h"
#include "serving/http_stream_session.h"
#include "session/relay_results.h"
#include "session/stats_block.h"

using namespace stats_block;

CStreamServer::CStreamServer(CStreamBuffer* buffer, uint16_t port)
    : m_state(SERVER_NEW),
      m_buffer(buffer),
      m_port(port),
      m_listener(new CListenSocket()),
      m_current_header(0),
      m_mode(0),
      m_window_ms(0),
      m_lead_ms(0),
      m_window_piece(0),
      m_window_length_ms(kWindowMs) {
    OpenListener();
}

CStreamServer::~CStreamServer() {
    m_listener.reset();
    DropAll();
}

void CStreamServer::OpenListener() {
    m_listener->SetSink(this);
    // Ports in use move the listener up one port at a time, up to the last port there is.
    for (uint32_t port = m_port; port <= 0xFFFF; ++port) {
        const int result = m_listener->Open(port);
        if (m_listener->IsOpen()) {
            m_port = static_cast<uint16_t>(port);
            StatsBlockView(m_buffer ? m_buffer->StatsBlock() : nullptr).Put16(kStreamPort, m_port);
            return;
        }
        if (result != kNetPortInUse && result != kNetRetryable) {
            CoreLogPrintf("stream server: cannot listen on port %u (%d)", port, result);
            return;
        }
    }
    CoreLogPrintf("stream server: no free port from %u up", static_cast<uint32_t>(m_port));
}

int CStreamServer::Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms) {
    if (m_state == SERVER_STARTED) return kRelayFail;
    m_mode = mode;
    m_window_ms = window_ms;
    m_lead_ms = lead_ms;
    m_window_length_ms = kWindowMs;
    m_state = SERVER_STARTED;
    return kRelayOk;
}

void CStreamServer::Stop() {
    if (m_state != SERVER_STARTED) return;
    DropAll();
    m_state = SERVER_STOPPED;
}

void CStreamServer::Reset() {
    m_window_piece = 0;
    m_state = SERVER_STARTED;
}

bool CStreamServer::AddHeader(std::unique_ptr<CPiece> header) {
    if (!header) return false;
    const uint32_t header_id = header->Number();
    if (!m_headers.try_emplace(header_id, std::move(header)).second) return false;
    if (m_current_header == 0) SwitchTo(header_id);
    EnforceHeaderCap();
    return true;
}

CPiece* CStreamServer::FindHeader(uint32_t header_id) const {
    auto it = m_headers.find(header_id);
    return it == m_headers.end() ? nullptr : it->second.get();
}

void CStreamServer::SwitchTo(uint32_t header_id) {
    CPiece* header = FindHeader(header_id);
    if (!header) return;
    m_reader.reset();
    m_reader.reset(new CPieceReader(m_buffer, this, header));
    StatsBlockView stats(m_buffer ? m_buffer->StatsBlock() : nullptr);
    // A header no session can serve leaves the server without one: players are refused.
    if (!m_reader->HasSession()) m_reader.reset();
    stats.Put16(kSessionKind, m_reader ? m_reader->Kind() : 0);
    if (m_reader) m_reader->Start(m_mode, m_window_ms, m_lead_ms);
    m_current_header = header_id;
    TrimHeaders();
}

void CStreamServer::TrimHeaders() {
    while (m_headers.size() > kKeptHeaders && m_headers.begin()->first < m_current_header)
        m_headers.erase(m_headers.begin());
}

void CStreamServer::EnforceHeaderCap() {
    while (m_headers.size() > kMaxHeaders) {
        auto oldest = m_headers.begin();
        if (oldest->first == m_current_header) ++oldest;
        m_headers.erase(oldest);
    }
}

void CStreamServer::NewPieces(uint32_t first, uint32_t last) {
    if (m_reader) m_reader->NewPieces(first, last);
    if (first == 0 || last == 0 || !m_buffer) return;
    MoveWindowPiece(first, last);
    StatsBlockView(m_buffer->StatsBlock()).Put32(kWindowPiece, m_window_piece);
    const CPiece* window = m_buffer->Index().FindDataPiece(m_window_piece);
    if (window && window->HeaderId() != m_current_header) SwitchTo(window->HeaderId());
}

void CStreamServer::MoveWindowPiece(uint32_t first, uint32_t last) {
    if (m_window_piece == 0) m_window_piece = first;
    const CPiece* first_piece = m_buffer->GetPiece(first);
    if (!first_piece) return;
    const uint64_t window_end = static_cast<uint64_t>(first_piece->TimeStamp()) + m_window_length_ms;
    for (uint32_t h = m_buffer->DataPieceAtOrAfter(m_window_piece); h != 0 && h <= last;
         h = m_buffer->NextDataPiece(h)) {
        if (m_buffer->GetPiece(h)->TimeStamp() > window_end) break;
        m_window_piece = h;
    }
}

int CStreamServer::OnAccept(CListenSocket*, int socket_id, const NetSockAddr* peer) {
    return m_reader && m_reader->Accept(socket_id, peer) ? 1 : 0;
}

void CStreamServer::OnListenEvent(CListenSocket*, uint32_t) {}

void CStreamServer::DropAll() {
    m_reader.reset();
    m_current_header = 0;
    m_headers.clear();
    m_window_piece = 0;
}

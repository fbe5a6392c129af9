#include "serving/piece_reader.h"

#include "serving/http_stream_session.h"
#include "serving/stream_session_factory.h"
#include "session/relay_results.h"

CPieceReader::CPieceReader(CStreamBuffer* buffer, CStreamServer* server, CPiece* header)
    : m_session(CreateStreamSession(buffer, server, header)), m_mode(0), m_window_ms(0), m_lead_ms(0) {}

CPieceReader::~CPieceReader() {
    Release();
}

void CPieceReader::Release() {
    delete m_session;
    m_session = nullptr;
}

int CPieceReader::Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms) {
    m_mode = mode;
    m_window_ms = window_ms;
    m_lead_ms = lead_ms;
    return m_session ? m_session->Start(mode, window_ms, lead_ms) : kRelayFail;
}

void CPieceReader::NewPieces(uint32_t first, uint32_t cursor) {
    if (m_session) m_session->NewPieces(first, cursor);
}

uint16_t CPieceReader::Kind() const {
    return m_session ? m_session->Kind() : 0;
}

bool CPieceReader::Accept(int socket_id, const NetSockAddr* peer) {
    return m_session && m_session->Accept(socket_id, peer);
}

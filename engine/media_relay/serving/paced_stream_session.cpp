#include "serving/paced_stream_session.h"

#include "engine_tables.h"
#include "engine_tick.h"
#include "pieces/stream_buffer.h"
#include "serving/stream_socket.h"
#include "session/relay_results.h"
#include "session/stats_block.h"

CPacedStreamSession::CPacedStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                                         const StreamHeaderRecord& record)
    : CHttpStreamSession(buffer, server, header, record) {}

CPacedStreamSession::~CPacedStreamSession() {
    if (m_state == SESSION_STARTED) Stop();
    m_clients.clear();  // before the base closes the waiting connections
}

const StreamSenderState* CPacedStreamSession::Sender(CStreamSocket* connection) const {
    auto it = m_clients.find(connection);
    return it == m_clients.end() ? nullptr : &it->second.sender;
}

StreamSocketPtr CPacedStreamSession::RemoveClient(CStreamSocket* connection) {
    auto it = m_clients.find(connection);
    if (it == m_clients.end()) return nullptr;
    StreamSocketPtr owned = std::move(it->second.connection);
    m_clients.erase(it);
    return owned;
}

bool CPacedStreamSession::AddClient(StreamSocketPtr connection) {
    PacedClient client{std::move(connection), {}};
    client.sender.lead_ms = m_lead_ms;
    CStreamSocket* key = client.connection.get();
    m_clients.emplace(key, std::move(client));
    return true;
}

bool CPacedStreamSession::IsClient(CStreamSocket* connection) const {
    return m_clients.count(connection) != 0;
}

int CPacedStreamSession::Stop() {
    if (m_state != SESSION_STARTED) return kRelayFail;
    DropWaiting();
    ClearReportedRange();
    StopTimer();
    m_state = SESSION_STOPPED;
    FlushAndDropClients();
    return kRelayOk;
}

void CPacedStreamSession::FlushAndDropClients() {
    std::map<CStreamSocket*, PacedClient> clients;
    clients.swap(m_clients);
    for (auto& [connection, client] : clients) {
        RunSender(connection, client.sender, 0, true);
        client.connection.reset();  // the network library flushes what is queued before it closes
    }
}

int CPacedStreamSession::NewPieces(uint32_t first, uint32_t last) {
    if (m_state != SESSION_STARTED) return kRelayFail;
    RememberRange(first, last);
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        if (RunSender(it->first, it->second.sender, ReportedLast(), false) == kSenderEndPlayer) {
            it = m_clients.erase(it);
        } else {
            ++it;
        }
    }
    return kRelayOk;
}

uint32_t CPacedStreamSession::FindStartPiece() const {
    const uint32_t cursor = m_buffer->Cursor();
    const uint32_t first = m_buffer->FirstDataPiece();
    if (first == 0 || first > cursor) return 0;
    const uint32_t latest_start = m_buffer->GetPiece(first)->TimeStamp() + m_window_ms;
    uint32_t reached = 0;
    for (uint32_t h = first; h != 0 && h <= cursor; h = m_buffer->NextDataPiece(h)) {
        reached = h;
        if (m_buffer->GetPiece(h)->TimeStamp() > latest_start) break;
    }
    const uint32_t header_id = HeaderId();
    const uint32_t reached_header = m_buffer->GetPiece(reached)->HeaderId();
    if (reached_header == header_id) return reached;
    if (reached_header > header_id) return 0;  // this header's pieces have not come yet
    for (uint32_t h = m_buffer->DataPieceAtOrAfter(reached_header); h != 0 && h <= cursor;
         h = m_buffer->NextDataPiece(h))
        if (m_buffer->GetPiece(h)->HeaderId() == header_id) return h;
    return 0;
}

int CPacedStreamSession::RunSender(CStreamSocket* connection, StreamSenderState& sender, uint32_t last,
                                   bool forced) {
    if (!sender.started) {
        int result = StartSender(connection, sender, last);
        if (result != kRelayOk || !sender.started) return result;
    }
    return SendPaced(connection, sender, last, forced);
}

int CPacedStreamSession::StartSender(CStreamSocket*, StreamSenderState& sender, uint32_t) {
    const uint32_t start = FindStartPiece();
    if (start == 0) return kSenderNoStartPoint;
    sender.start_piece = start;
    sender.start_time_stamp = m_buffer->GetPiece(start)->TimeStamp();
    sender.start_tick = EngineTick();
    sender.next_piece = start;
    sender.started = true;
    return kRelayOk;
}

int CPacedStreamSession::SendPaced(CStreamSocket* connection, StreamSenderState& sender, uint32_t last,
                                   bool forced) {
    const uint32_t header_id = HeaderId();
    const uint32_t now = EngineTick();
    if (!forced) sender.pending = connection->PendingSends();
    for (uint32_t h = m_buffer->DataPieceAtOrAfter(sender.next_piece); h != 0 && (h <= last || forced);
         h = m_buffer->NextDataPiece(h)) {
        const CPiece* piece = m_buffer->GetPiece(h);
        if (piece->HeaderId() > header_id) return kSenderEndPlayer;
        if (piece->HeaderId() < header_id) continue;
        if (!forced) {
            if (sender.pending > kMaxPendingSends) break;
            ++sender.pending;
            const uint64_t due = static_cast<uint64_t>(sender.start_time_stamp) +
                                 TickElapsed(now, sender.start_tick) + sender.lead_ms;
            if (piece->TimeStamp() > due) break;
        }
        if (!connection->Send(piece->StreamData(), piece->StreamDataLength())) return kSenderEndPlayer;
        RecordSent(sender, h);
    }
    // Nothing sent yet: the player still starts at its start piece.
    if (sender.last_sent != 0) sender.next_piece = sender.last_sent + 1;
    return kRelayOk;
}

void CPacedStreamSession::RecordSent(StreamSenderState& sender, uint32_t piece) {
    sender.last_sent = piece;
    sender.last_send_tick = EngineTick();
    StatsBlockView(m_buffer->StatsBlock()).Put32(stats_block::kLastSentPiece, piece);
}

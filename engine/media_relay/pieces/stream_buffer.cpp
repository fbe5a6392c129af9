#include "pieces/stream_buffer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine_tick.h"
#include "packets/transfer_packets.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"

using namespace stats_block;

namespace {

// The play clock runs behind real time while less than this much stream is ready.
constexpr uint32_t kFullReadyMs = 50000;
constexpr uint32_t kMinimumLossSpan = 10;

}  // namespace

CStreamBuffer::CStreamBuffer(CStreamBufferOwner* owner)
    : m_state(BUFFER_IDLE),
      m_owner(owner),
      m_server(nullptr),
      m_played(0),
      m_ready(0),
      m_cursor(0),
      m_target(0),
      m_start_tick(0),
      m_start_time_stamp(0),
      m_stats(owner ? owner->StatsBlock() : nullptr) {
    m_timer.SetOwner(this);
}

CStreamBuffer::~CStreamBuffer() {
    Stop();
    m_timer.Stop();
    m_index.Clear();
}

bool CStreamBuffer::Start() {
    if (m_state != BUFFER_IDLE) return false;
    Reset();
    m_state = BUFFER_WAITING;
    return true;
}

bool CStreamBuffer::Stop() {
    if (m_state == BUFFER_IDLE) return false;
    Reset();
    m_state = BUFFER_IDLE;
    return true;
}

bool CStreamBuffer::JumpTo(uint32_t number) {
    if (m_state == BUFFER_IDLE) return false;
    Reset();
    m_cursor = m_target = number;
    StatsBlockView(m_stats).Put32(kJumpPiece, number);
    m_state = BUFFER_WAITING;
    if (m_server) {
        // The players restart with the stream: the headers come again with the data pieces.
        m_server->Stop();
        m_server->Reset();
    }
    return true;
}

void CStreamBuffer::Reset() {
    m_index.Clear();
    m_played = 0;
    m_timer.Stop();
    m_cursor = m_target = 0;
    m_start_tick = m_start_time_stamp = 0;
    for (uint32_t offset : {kBufferFirst, kBufferLast, kCursor, kJumpPiece, kPlayedPieces, kWindowLength,
                            kWindowCount})
        StatsBlockView(m_stats).Put32(offset, 0);
}

void CStreamBuffer::DeliverPiece(std::unique_ptr<CPiece> piece) {
    if (!piece) return;
    if (piece->IsHeader()) {
        CheckJump(*piece);
        AcceptHeaderPiece(std::move(piece));
    } else if (piece->IsData()) {
        CheckJump(*piece);
        StartPlaying(*piece);
        InsertDataPiece(std::move(piece));
    }
    // Any other kind is destroyed on return.
}

void CStreamBuffer::CheckJump(const CPiece& piece) {
    const uint32_t n = piece.Number();
    const uint32_t source_low = StatsBlockView(m_stats).Get32(kSourceLow);
    const uint32_t source_high = StatsBlockView(m_stats).Get32(kSourceHigh);
    if (n > m_cursor + kJumpAhead && n < source_high + 4000 && n + 2000 > source_low) JumpTo(n);
    if (!piece.IsData()) return;
    // A later number stamped earlier than the cursor piece: the source restarted its clock.
    const CPiece* current = GetPiece(m_cursor);
    if (current && n > current->Number() && piece.TimeStamp() < current->TimeStamp()) JumpTo(n);
}

void CStreamBuffer::StartPlaying(const CPiece& piece) {
    if (m_state != BUFFER_WAITING || piece.Number() < m_cursor) return;
    m_state = BUFFER_PLAYING;
    m_timer.Stop();
    m_timer.Start(kTickMs);
    m_cursor = m_target = piece.Number();
    m_start_tick = EngineTick();
    m_start_time_stamp = piece.TimeStamp();
}

void CStreamBuffer::InsertDataPiece(std::unique_ptr<CPiece> piece) {
    const uint32_t n = piece->Number();
    const uint32_t header_id = piece->HeaderId();
    PieceEntry* entry = m_index.Find(n);
    if (m_server && !m_server->FindHeader(header_id) && entry && entry->requester && m_owner &&
        m_owner->IsLiveTransfer(entry->requester))
        m_owner->RequestPiece(entry->requester, header_id, kHeaderFetchTimeoutMs);
    if (m_index.Insert(std::move(piece)) && n <= m_cursor) CountPlayed();
}

void CStreamBuffer::AcceptHeaderPiece(std::unique_ptr<CPiece> piece) {
    const uint32_t n = piece->Number();
    if (m_server) m_server->AddHeader(std::move(piece));
    // Only an outstanding request for this number goes: a data piece stored under the same
    // number is the stream's, not the header's.
    m_index.RemoveRequest(n);
}

void CStreamBuffer::EraseEntry(uint32_t number) {
    if (m_index.Erase(number) && number < m_cursor && m_played > 0) --m_played;
}

void CStreamBuffer::CountPlayed() {
    ++m_played;
    StatsBlockView(m_stats).Increment32(kPlayedPieces);
}

CPiece* CStreamBuffer::GetPiece(uint32_t number) const {
    if (CPiece* piece = m_index.FindDataPiece(number)) return piece;
    return m_server ? m_server->FindHeader(number) : nullptr;
}

uint32_t CStreamBuffer::DataPieceAtOrAfter(uint32_t number) const {
    return m_index.FindDataPiece(number) ? number : m_index.NextDataPiece(number);
}

bool CStreamBuffer::IsPieceWanted(uint32_t number) const {
    return number > m_cursor && m_index.HasNoEntry(number);
}

bool CStreamBuffer::AddPieceRequest(uint32_t number, CPeerTransfer* requester) {
    return m_index.AddRequest(number, requester);
}

int64_t CStreamBuffer::ReadyTime() const {
    const uint32_t loss = std::min<uint32_t>(StatsBlockView(m_stats).Get8(kLossPercent), 100);
    return static_cast<int64_t>((100.0 - loss) * StatsBlockView(m_stats).Get32(kReadyMs) * 0.01);
}

void CStreamBuffer::OnTimer(CCoreTimer*) {
    if (m_state != BUFFER_PLAYING) return;
    if (Advance() && m_server) m_server->NewPieces(FirstDataPiece(), m_cursor);
    Evict();
    PublishFigures();
}

uint32_t CStreamBuffer::PlayClock() const {
    int64_t elapsed = TickElapsed(EngineTick(), m_start_tick);
    const uint32_t ready = static_cast<uint32_t>(ReadyTime());
    if (ready < kFullReadyMs) elapsed += static_cast<int64_t>(ready) - kFullReadyMs;
    if (elapsed < 0) elapsed = 0;
    return m_start_time_stamp + static_cast<uint32_t>(elapsed);
}

bool CStreamBuffer::Advance() {
    const uint32_t first = FirstDataPiece();
    if (first == LastDataPiece()) return false;
    const uint32_t b = DataPieceAtOrAfter(first);
    if (b == 0) {
        m_target = 0;
        return false;
    }
    const uint32_t first_time_stamp = m_index.FindDataPiece(b)->TimeStamp();
    const uint32_t old_cursor = m_cursor;
    const uint32_t play_clock = PlayClock();

    auto& entries = m_index.AllEntries();
    auto q = entries.find(m_cursor);
    if (q == entries.end()) q = entries.find(first);

    // Pieces present in a row (a gap may only be a stream header the server holds).
    for (; q != entries.end() && q->second.piece; ++q) {
        const int32_t k = static_cast<int32_t>(q->first - m_cursor);
        if (k < 0 || k > 3) break;
        if (k >= 2 && !(m_server && m_server->FindHeader(m_cursor + k - 1))) break;
        if (k > 0) CountPlayed();
        m_cursor = q->first;
    }
    // Then every later piece whose time has come on the play clock; missing ones are skipped.
    for (; q != entries.end(); ++q) {
        if (!q->second.piece || q->first <= m_cursor) continue;
        if (play_clock < q->second.piece->TimeStamp()) break;
        CountPlayed();
        m_cursor = q->first;
    }

    EstimateTarget(b, first_time_stamp);
    return old_cursor < m_cursor;
}

void CStreamBuffer::EstimateTarget(uint32_t b, uint32_t d) {
    const uint32_t m = LastDataPiece();
    m_ready = 0;
    uint32_t v = b, t = b, o = d, u = d;
    while (b != 0 && b <= m) {
        const uint32_t time_stamp = m_index.FindDataPiece(b)->TimeStamp();
        if (time_stamp > d + kKeepBehindMs) {
            t = b;
            u = time_stamp;
            break;
        }
        ++m_ready;
        v = t = b;
        o = u = time_stamp;
        b = NextDataPiece(b);
    }
    if (t - v == 1 || t <= v) {
        m_target = t;
        return;
    }
    // Interpolate where 70 s of stream from the first piece end; 64-bit, as the product of a
    // long span and a time difference does not fit 32 bits.
    const uint64_t span_ms = static_cast<uint32_t>(d + kKeepBehindMs - o);
    const uint64_t divisor = u > o ? u - o : 10;
    const uint64_t estimate = v + span_ms * (t - v) / divisor;
    m_target = static_cast<uint32_t>(std::min<uint64_t>(estimate, 0xFFFFFFFFu));
}

void CStreamBuffer::Evict() {
    if (m_state != BUFFER_PLAYING) return;
    const int64_t oldest_kept = static_cast<int64_t>(m_start_time_stamp) +
                                TickElapsed(EngineTick(), m_start_tick) - kKeepBehindMs;
    if (oldest_kept <= 0) return;
    auto& entries = m_index.AllEntries();
    auto cursor_entry = entries.find(m_cursor);
    if (cursor_entry == entries.end()) return;
    std::vector<uint32_t> expired;
    for (auto it = entries.begin(); it != cursor_entry; ++it) {
        const CPiece* piece = it->second.piece.get();
        if (!piece || !piece->IsData()) continue;  // outstanding requests stay
        if (piece->TimeStamp() >= oldest_kept) break;
        expired.push_back(it->first);
    }
    for (uint32_t number : expired) EraseEntry(number);
}

void CStreamBuffer::PublishFigures() {
    const uint32_t first = FirstDataPiece();
    const uint32_t last = LastDataPiece();
    StatsBlockView(m_stats).Put32(kFirstHeld, first);
    StatsBlockView(m_stats).Put32(kLastHeld, last);
    PublishLoss(first);
    PublishWindow(first);
    StatsBlockView(m_stats).Put32(kBufferFirst, first);
    StatsBlockView(m_stats).Put32(kBufferLast, last);
    StatsBlockView(m_stats).Put32(kCursor, m_cursor);
    StatsBlockView(m_stats).Put32(kTargetPiece, m_target);
    StatsBlockView(m_stats).Put32(kZeroWord, 0);
    PublishReadySpan(first);
}

void CStreamBuffer::PublishLoss(uint32_t first) {
    const uint32_t span = std::max(m_cursor - first + 1, kMinimumLossSpan);
    const uint64_t loss = span > m_played ? static_cast<uint64_t>(span - m_played) * 100 / span : 0;
    StatsBlockView(m_stats).Put8(kLossPercent, static_cast<uint8_t>(loss));
}

void CStreamBuffer::PublishWindow(uint32_t first) {
    const CPiece* first_piece = m_index.FindDataPiece(first);
    const CPiece* cursor_piece = m_index.FindDataPiece(m_cursor);
    if (!first_piece || !cursor_piece) {
        StatsBlockView(m_stats).Put32(kWindowCount, 0);
        StatsBlockView(m_stats).Put32(kWindowLength, 10);
    } else if (cursor_piece->TimeStamp() - first_piece->TimeStamp() >= kKeepBehindMs) {
        StatsBlockView(m_stats).Put32(kWindowCount, m_played);
        StatsBlockView(m_stats).Put32(kWindowLength, m_cursor - first + 1);
    } else {
        StatsBlockView(m_stats).Put32(kWindowLength, m_target - first + 1);
        StatsBlockView(m_stats).Put32(kWindowCount, static_cast<uint32_t>(m_ready));
    }
}

void CStreamBuffer::PublishReadySpan(uint32_t first) {
    const CPiece* first_piece = m_index.FindDataPiece(first);
    if (!first_piece) return;
    const auto& entries = m_index.AllEntries();
    for (auto it = entries.lower_bound(m_cursor); it != entries.end(); ++it) {
        const CPiece* piece = it->second.piece.get();
        if (!piece || !piece->IsData()) continue;
        if (piece->TimeStamp() > first_piece->TimeStamp())
            StatsBlockView(m_stats).Put32(kReadyMs, piece->TimeStamp() - first_piece->TimeStamp());
        return;
    }
}

CTransferPacket CStreamBuffer::BuildAvailabilityPacket() const {
    const uint32_t first = FirstDataPiece();
    const uint32_t last = LastDataPiece();
    // The map ends before the last piece, as peers read it; and a far-away last piece cannot
    // make it larger than its count can state.
    const uint32_t byte_count = AvailabilityByteCount(first, last);
    const StatusRecord status = m_stats ? ReadStatusRecord(m_stats + kOwnStatus) : StatusRecord{};
    CTransferPacket packet = ::BuildAvailabilityPacket(status, first, nullptr, byte_count);
    uint8_t* bits = AvailabilityBits(packet);
    if (!bits) return packet;
    const auto& entries = m_index.AllEntries();
    for (auto it = entries.lower_bound(first); it != entries.end() && it->first < last; ++it)
        if (it->second.piece) MarkAvailable(bits, byte_count, it->first - first);
    return packet;
}

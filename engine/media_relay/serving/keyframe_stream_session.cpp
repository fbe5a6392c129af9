#include "serving/keyframe_stream_session.h"

#include "engine_tick.h"
#include "packets/wire_bytes.h"
#include "pieces/stream_buffer.h"
#include "serving/stream_socket.h"
#include "session/relay_results.h"

namespace {

// Record layout: +2 big-endian u16 record length (header included), +4 big-endian u16
// stream number, +11 u8 flags.
constexpr uint32_t kRecordFixedSize = 12;
constexpr uint8_t kKeyframeFlag = 2;

uint16_t ReadBigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace

CKeyframeStreamSession::CKeyframeStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                                               const StreamHeaderRecord& record)
    : CPacedStreamSession(buffer, server, header, record) {
    for (uint32_t i = 0; i + 2 <= record.prefix_length; i += 2) m_streams.insert(ReadU16(record.prefix + i));
}

int32_t FindKeyframeRecord(const uint8_t* data, uint32_t length, const std::set<uint16_t>& streams) {
    uint32_t offset = 0;
    while (length - offset >= 2) {
        const uint8_t* record = data + offset;
        if (record[0] == 0 && record[1] == 1) return static_cast<int32_t>(offset);
        if (length - offset < kRecordFixedSize) break;
        const uint16_t record_length = ReadBigEndian16(record + 2);
        if (record[11] == kKeyframeFlag && streams.count(ReadBigEndian16(record + 4)))
            return static_cast<int32_t>(offset);
        if (record_length == 0 || record_length > length - offset) break;
        offset += record_length;
    }
    return -1;
}

int CKeyframeStreamSession::StartSender(CStreamSocket* connection, StreamSenderState& sender, uint32_t last) {
    const uint32_t start = FindStartPiece();
    if (start == 0) return kSenderNoStartPoint;
    sender.start_piece = start;
    sender.start_time_stamp = m_buffer->GetPiece(start)->TimeStamp();
    sender.start_tick = EngineTick();
    if (m_streams.empty()) return kRelayOk;  // nothing can ever start this player

    const uint32_t header_id = HeaderId();
    for (uint32_t h = start; h != 0 && h <= last; h = m_buffer->NextDataPiece(h)) {
        const CPiece* piece = m_buffer->GetPiece(h);
        if (piece->HeaderId() > header_id) return kSenderEndPlayer;
        if (piece->HeaderId() < header_id) continue;
        const int32_t offset = FindKeyframeRecord(piece->StreamData(), piece->StreamDataLength(), m_streams);
        if (offset < 0) continue;
        const uint32_t from = static_cast<uint32_t>(offset);
        if (!connection->Send(piece->StreamData() + from, piece->StreamDataLength() - from))
            return kSenderEndPlayer;
        RecordSent(sender, h);
        sender.started = true;
        sender.next_piece = h + 1;
        return kRelayOk;
    }
    return kRelayOk;
}

#include "stream_reader.h"

#include <algorithm>
#include <cstring>

#include "stream_payload.h"

namespace sim {

const std::string& StreamReader::ExpectedReply() {
    static const std::string reply =
        "HTTP/1.1 200 OK\r\nServer: Quorvane Media Server/1.0\r\nConnection: close\r\n\r\n";
    return reply;
}

bool StreamReader::Collect(const uint8_t*& data, uint32_t& length, size_t want) {
    const size_t take = std::min<size_t>(length, want - m_pending.size());
    m_pending.insert(m_pending.end(), data, data + take);
    data += take;
    length -= static_cast<uint32_t>(take);
    return m_pending.size() == want;
}

void StreamReader::Feed(const uint8_t* data, uint32_t length, SimTime at) {
    if (length && m_bytes == 0) m_tally.FirstByte(at);
    m_bytes += length;
    while (length > 0) {
        if (m_stage == kReply) {
            const std::string& reply = ExpectedReply();
            if (!Collect(data, length, reply.size())) return;
            m_tally.ReplyChecked(std::memcmp(m_pending.data(), reply.data(), reply.size()) == 0);
            m_pending.clear();
            m_stage = kHeader;
        } else if (m_stage == kHeader) {
            const std::string& header = stream_payload::ServedHeader();
            if (!Collect(data, length, header.size())) return;
            m_tally.HeaderChecked(std::memcmp(m_pending.data(), header.data(), header.size()) == 0);
            m_pending.clear();
            m_stage = kRecords;
        } else if (m_record_size == 0) {
            if (!Collect(data, length, stream_payload::kRecordHead)) return;
            m_record_size = stream_payload::kRecordHead + stream_payload::ReadHead(m_pending.data()).filler_length;
            if (m_record_size == stream_payload::kRecordHead) RecordDone(at);
        } else {
            if (!Collect(data, length, m_record_size)) return;
            RecordDone(at);
        }
    }
}

void StreamReader::RecordDone(SimTime at) {
    const stream_payload::RecordHead head = stream_payload::ReadHead(m_pending.data());
    const bool intact = stream_payload::RecordIntact(head, m_pending.data() + stream_payload::kRecordHead);
    m_tally.Record(head.piece, head.time_stamp, intact, at);
    m_pending.clear();
    m_record_size = 0;
}

}  // namespace sim

#include "transfer/send_backlog.h"

void CSendBacklog::Sync(int pending) {
    const size_t keep = pending > 0 ? static_cast<size_t>(pending) : 0;
    while (m_lengths.size() > keep) {
        m_bytes -= m_lengths.front();
        m_lengths.pop_front();
    }
}

void CSendBacklog::Add(uint32_t length) {
    m_lengths.push_back(length);
    m_bytes += length;
}

void CSendBacklog::Clear() {
    m_lengths.clear();
    m_bytes = 0;
}

bool CSendBacklog::Takes(uint32_t length) const {
    return m_lengths.size() < kMaxSends && m_bytes + static_cast<uint64_t>(length) <= kMaxBytes;
}

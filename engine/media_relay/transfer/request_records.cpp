#include "transfer/request_records.h"

void CRequestRecords::Add(uint32_t piece, uint32_t now, uint32_t timeout_ms, uint32_t pass, uint32_t pass_tick) {
    RequestRecord record;
    record.deadline = now + timeout_ms;
    record.timeout_ms = timeout_ms;
    record.piece = piece;
    record.pass = pass;
    record.pass_tick = pass_tick;
    m_records[piece] = record;
}

PassArrival CRequestRecords::Arrive(uint32_t piece, uint32_t body_bytes, uint32_t now) {
    PassArrival arrival;
    const RequestRecord& arrived = m_records.at(piece);
    const uint32_t pass = arrived.pass;
    for (auto& [number, record] : m_records) {
        if (record.pass != pass) continue;
        ++record.pass_pieces;
        record.pass_bytes += body_bytes;
        ++arrival.outstanding_of_pass;
    }
    arrival.pass_tick = arrived.pass_tick;
    arrival.pass_pieces = arrived.pass_pieces;
    m_records.erase(piece);
    if (arrival.outstanding_of_pass == 1)
        for (auto& [number, record] : m_records) record.pass_tick = now;
    return arrival;
}

std::vector<uint32_t> CRequestRecords::ExpireDue(uint32_t now) {
    std::vector<uint32_t> expired;
    for (auto& [number, record] : m_records) {
        // Wrap-safe: the deadline has passed when it lies behind now.
        if (!record.active || static_cast<int32_t>(now - record.deadline) <= 0) continue;
        record.active = false;
        expired.push_back(number);
    }
    return expired;
}

std::vector<uint32_t> CRequestRecords::FirstPieces() const {
    std::vector<uint32_t> pieces;
    for (auto it = m_records.begin(); it != m_records.end() && pieces.size() < kPublishedPieces; ++it)
        pieces.push_back(it->first);
    return pieces;
}

std::vector<uint32_t> CRequestRecords::AllPieces() const {
    std::vector<uint32_t> pieces;
    pieces.reserve(m_records.size());
    for (const auto& entry : m_records) pieces.push_back(entry.first);
    return pieces;
}

const RequestRecord* CRequestRecords::Find(uint32_t piece) const {
    auto it = m_records.find(piece);
    return it == m_records.end() ? nullptr : &it->second;
}

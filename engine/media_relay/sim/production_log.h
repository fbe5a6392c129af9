// When the stream source produced each data piece, for the players' lag and continuity: data
// pieces are numbered one after another from the first, so a piece's position is its number
// minus the first number.
#pragma once

#include <cstdint>
#include <vector>

#include "event_queue.h"

namespace sim {

class ProductionLog {
public:
    void SetFirstPiece(uint32_t first) { m_first = first; }
    void Produced(uint32_t piece, SimTime at) {
        if (piece >= m_first && piece - m_first == m_times.size()) m_times.push_back(at);
    }

    uint32_t FirstPiece() const { return m_first; }
    size_t Count() const { return m_times.size(); }
    bool Has(uint32_t piece) const { return piece >= m_first && piece - m_first < m_times.size(); }
    // Only for pieces the log Has.
    SimTime ProducedAt(uint32_t piece) const { return m_times[piece - m_first]; }

private:
    uint32_t m_first = 0;
    std::vector<SimTime> m_times;
};

}  // namespace sim

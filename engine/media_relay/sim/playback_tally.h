// What one player saw over all its connections to its relay, the way the player checker
// counts it: the records in increasing piece order (a piece played again after a reconnect is
// not counted twice), gaps, repeats within a connection and damaged records, and from these
// its lag behind production, its continuity and the stalls of a 2 s playout buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "event_queue.h"
#include "production_log.h"

namespace sim {

class PlaybackTally {
public:
    static constexpr uint32_t kOnTimeMs = 15000;
    static constexpr uint32_t kPlayoutBufferMs = 2000;

    struct Arrival {
        SimTime at;
        uint32_t time_stamp;
        uint32_t piece;
    };

    void SessionStarted();
    void FirstByte(SimTime at);
    void ReplyChecked(bool ok) { m_reply_ok = m_reply_ok && ok; }
    void HeaderChecked(bool ok) { m_header_ok = m_header_ok && ok; }
    void Record(uint32_t piece, uint32_t time_stamp, bool intact, SimTime at);

    std::optional<SimTime> FirstByteAt() const { return m_first_byte; }
    std::optional<uint32_t> FirstPiece() const { return m_first_piece; }
    bool ReplyOk() const { return m_reply_ok; }
    bool HeaderOk() const { return m_header_ok; }
    uint32_t Pieces() const { return static_cast<uint32_t>(m_arrivals.size()); }
    uint32_t Gaps() const { return m_gaps; }
    uint32_t Repeats() const { return m_repeats; }
    uint32_t Damaged() const { return m_damaged; }
    uint32_t Sessions() const { return m_sessions; }
    const std::vector<Arrival>& Arrivals() const { return m_arrivals; }

    // Pieces that reached the player within 15 s of their production, over the pieces produced
    // from its first piece until 15 s before `end`; empty when none was due.
    std::optional<double> Continuity(const ProductionLog& production, SimTime end) const;
    // Pieces played over the pieces from the first played to the last, whatever their lag.
    std::optional<double> Completeness() const;
    // Receive time minus production time of each record, in milliseconds.
    std::vector<double> LagsMs(const ProductionLog& production) const;
    // Share of the playing time spent rebuffering; 1 when playing never started.
    std::optional<double> StallRatio(SimTime end) const;

private:
    std::optional<SimTime> m_first_byte;
    std::optional<uint32_t> m_first_piece;
    std::optional<uint32_t> m_session_last;  // last piece of the current connection
    std::optional<uint32_t> m_highest;
    bool m_reply_ok = true;
    bool m_header_ok = true;
    uint32_t m_gaps = 0;
    uint32_t m_repeats = 0;
    uint32_t m_damaged = 0;
    uint32_t m_sessions = 0;
    std::vector<Arrival> m_arrivals;
};

}  // namespace sim

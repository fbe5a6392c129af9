#include "playback_tally.h"

#include <algorithm>

namespace sim {

void PlaybackTally::SessionStarted() {
    ++m_sessions;
    m_session_last.reset();
}

void PlaybackTally::FirstByte(SimTime at) {
    if (!m_first_byte) m_first_byte = at;
}

void PlaybackTally::Record(uint32_t piece, uint32_t time_stamp, bool intact, SimTime at) {
    if (!m_first_piece) m_first_piece = piece;
    if (m_session_last && piece <= *m_session_last) {
        ++m_repeats;
        return;
    }
    m_session_last = piece;
    if (m_highest && piece <= *m_highest) return;  // sent again after a reconnect
    if (m_highest && piece > *m_highest + 1) m_gaps += piece - *m_highest - 1;
    m_highest = piece;
    if (!intact) ++m_damaged;
    m_arrivals.push_back({at, time_stamp, piece});
}

std::optional<double> PlaybackTally::Continuity(const ProductionLog& production, SimTime end) const {
    if (!m_first_piece) return 0.0;
    const SimTime on_time = Ms(kOnTimeMs);
    if (end < on_time) return std::nullopt;
    const SimTime limit = end - on_time;
    uint64_t due = 0;
    for (uint32_t piece = *m_first_piece; production.Has(piece) && production.ProducedAt(piece) <= limit; ++piece)
        ++due;
    if (due == 0) return std::nullopt;
    uint64_t played = 0;
    for (const Arrival& arrival : m_arrivals) {
        if (!production.Has(arrival.piece)) continue;
        const SimTime made = production.ProducedAt(arrival.piece);
        if (arrival.piece >= *m_first_piece && made <= limit && arrival.at <= made + on_time) ++played;
    }
    return static_cast<double>(played) / static_cast<double>(due);
}

std::optional<double> PlaybackTally::Completeness() const {
    if (m_arrivals.empty()) return std::nullopt;
    const uint64_t span = static_cast<uint64_t>(m_arrivals.back().piece) - m_arrivals.front().piece + 1;
    return static_cast<double>(m_arrivals.size()) / static_cast<double>(span);
}

std::vector<double> PlaybackTally::LagsMs(const ProductionLog& production) const {
    std::vector<double> lags;
    lags.reserve(m_arrivals.size());
    for (const Arrival& arrival : m_arrivals)
        if (production.Has(arrival.piece))
            lags.push_back(static_cast<double>(arrival.at - production.ProducedAt(arrival.piece)) / kMicrosPerMs);
    return lags;
}

std::optional<double> PlaybackTally::StallRatio(SimTime end) const {
    if (m_arrivals.empty()) return std::nullopt;
    // A virtual player: starts once 2 s of stream time is buffered, then plays in real time,
    // and stalls when it reaches the newest time stamp until 2 s are buffered again.
    const double buffer = kPlayoutBufferMs;
    bool playing = false;
    std::optional<double> started_at;
    double have = 0, position = 0, stalled = 0;
    double last = static_cast<double>(m_arrivals.front().at) / kMicrosPerMs;
    auto advance = [&](double t) {
        if (playing) {
            position += t - last;
            if (position > have) {
                stalled += position - have;
                position = have;
                playing = false;
            }
        } else if (started_at) {
            stalled += t - last;
        }
    };
    bool first = true;
    for (const Arrival& arrival : m_arrivals) {
        const double t = static_cast<double>(arrival.at) / kMicrosPerMs;
        advance(t);
        last = t;
        have = first ? arrival.time_stamp : std::max<double>(have, arrival.time_stamp);
        if (first) position = arrival.time_stamp;
        first = false;
        if (!playing && have - position >= buffer) {
            playing = true;
            if (!started_at) started_at = t;
        }
    }
    const double end_ms = static_cast<double>(end) / kMicrosPerMs;
    advance(end_ms);
    if (!started_at) return 1.0;
    const double span = end_ms - *started_at;
    return span > 0 ? stalled / span : 0.0;
}

}  // namespace sim

#include "peers/hello_answer_limiter.h"

#include <iterator>

#include "engine_tick.h"

CHelloAnswerLimiter::CHelloAnswerLimiter(uint32_t per_source_limit, uint32_t total_limit, uint32_t window_ms)
    : m_per_source_limit(per_source_limit), m_total_limit(total_limit), m_window_ms(window_ms) {}

bool CHelloAnswerLimiter::Expired(const Window& window, uint32_t now) const {
    return TickElapsed(now, window.start) >= m_window_ms;
}

// A new total window also drops the sources whose own windows are over, so the table holds at
// most the sources answered in this window and the one before.
void CHelloAnswerLimiter::StartTotalWindow(uint32_t now) {
    m_started = true;
    m_total = Window{now, 0};
    for (auto it = m_sources.begin(); it != m_sources.end();)
        it = Expired(it->second, now) ? m_sources.erase(it) : std::next(it);
}

bool CHelloAnswerLimiter::Admit(uint32_t source_ipv4, uint32_t now) {
    if (m_per_source_limit == 0) return false;
    if (!m_started || Expired(m_total, now)) StartTotalWindow(now);
    auto it = m_sources.find(source_ipv4);
    const bool fresh_source = it == m_sources.end() || Expired(it->second, now);
    if (!fresh_source && it->second.count >= m_per_source_limit) return false;
    if (m_total.count >= m_total_limit) return false;
    if (fresh_source) it = m_sources.insert_or_assign(source_ipv4, Window{now, 0}).first;
    ++it->second.count;
    ++m_total.count;
    return true;
}

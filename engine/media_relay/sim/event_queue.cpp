#include "event_queue.h"

namespace sim {

EventQueue::Key EventQueue::Schedule(SimTime at, Action action) {
    const Key key{at < m_now ? m_now : at, m_next_sequence++};
    m_events.emplace(key, std::move(action));
    return key;
}

bool EventQueue::RunNext(SimTime until) {
    if (m_events.empty() || m_events.begin()->first.first > until) return false;
    auto first = m_events.begin();
    m_now = first->first.first;
    Action action = std::move(first->second);
    m_events.erase(first);
    ++m_run;
    action();
    return true;
}

}  // namespace sim

// Virtual time and the list of things due in it. Every event has a due time in microseconds
// and a sequence number; the earliest runs first and events due at the same time run in the
// order they were scheduled, so a run depends on nothing but its inputs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace sim {

using SimTime = uint64_t;  // microseconds since the run began

constexpr SimTime kMicrosPerMs = 1000;
constexpr SimTime kMicrosPerSecond = 1000000;

inline SimTime Ms(uint64_t ms) { return ms * kMicrosPerMs; }
inline SimTime Seconds(double s) { return static_cast<SimTime>(s * kMicrosPerSecond); }

class EventQueue {
public:
    using Action = std::function<void()>;
    using Key = std::pair<SimTime, uint64_t>;

    SimTime Now() const { return m_now; }
    uint64_t NowMs() const { return m_now / kMicrosPerMs; }

    // An event at `at` (at least now). The key cancels it.
    Key Schedule(SimTime at, Action action);
    Key After(SimTime delay, Action action) { return Schedule(m_now + delay, std::move(action)); }
    void Cancel(const Key& key) { m_events.erase(key); }

    // Moves the clock to the earliest event and runs it; false when none is due by `until`.
    bool RunNext(SimTime until);
    // Moves the clock forward without running anything (never back).
    void AdvanceTo(SimTime at) {
        if (at > m_now) m_now = at;
    }
    uint64_t EventsRun() const { return m_run; }
    void Clear() { m_events.clear(); }

private:
    SimTime m_now = 0;
    uint64_t m_next_sequence = 0;
    uint64_t m_run = 0;
    std::map<Key, Action> m_events;
};

}  // namespace sim

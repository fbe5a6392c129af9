#include "message_dispatch.h"

#include "socket_events.h"

namespace sim {

void MessageDispatch::Post(Node* node, const FrameworkMessage& msg) {
    m_queue.push_back(PostedMessage{node, msg, 0, true});
}

int MessageDispatch::SetTimer(Node* node, uint32_t ms, bool repeat, const FrameworkMessage& msg) {
    const int id = m_next_timer++;
    SimTime period = Ms(ms);
    if (repeat && period == 0) period = Ms(1);
    Timer timer{node, period, repeat, msg, {}};
    timer.msg.extra = static_cast<uint32_t>(id);
    timer.event = m_events.After(Ms(ms), [this, id] { Fire(id); });
    m_timers.emplace(id, timer);
    return id;
}

void MessageDispatch::Fire(int id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    Timer& timer = it->second;
    m_queue.push_back(PostedMessage{timer.node, timer.msg, id, true});
    if (timer.repeat) {
        timer.event = m_events.After(timer.period, [this, id] { Fire(id); });
    } else {
        m_timers.erase(it);
    }
}

bool MessageDispatch::KillTimer(int id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return false;
    m_events.Cancel(it->second.event);
    m_timers.erase(it);
    for (PostedMessage& posted : m_queue)
        if (posted.live && posted.timer == id) posted.live = false;
    return true;
}

void MessageDispatch::Drop(PostedMessage& posted) {
    posted.live = false;
    if (m_release && posted.timer == 0) m_release(posted.node, posted.msg);
}

void MessageDispatch::Unregister(uint32_t target) {
    for (PostedMessage& posted : m_queue)
        if (posted.live && posted.msg.target == target) Drop(posted);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second.msg.target == target) {
            m_events.Cancel(it->second.event);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

void MessageDispatch::TakeSocketEvents(Node* node, int socket) {
    const uint32_t sender = static_cast<uint32_t>(socket);
    for (PostedMessage& posted : m_queue)
        if (posted.live && posted.node == node && posted.timer == 0 && posted.msg.sender == sender &&
            IsSocketEvent(posted.msg))
            Drop(posted);
}

void MessageDispatch::DropNode(Node* node) {
    for (PostedMessage& posted : m_queue)
        if (posted.live && posted.node == node) Drop(posted);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second.node == node) {
            m_events.Cancel(it->second.event);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

bool MessageDispatch::PopNext(PostedMessage* out) {
    while (!m_queue.empty()) {
        PostedMessage front = m_queue.front();
        m_queue.pop_front();
        if (!front.live) continue;
        *out = front;
        return true;
    }
    return false;
}

bool MessageDispatch::Empty() {
    while (!m_queue.empty() && !m_queue.front().live) m_queue.pop_front();
    return m_queue.empty();
}

}  // namespace sim

#include "waiting_connections.h"

int WaitingConnections::Add(int socket, uint32_t now) {
    int evicted = kNone;
    if (m_accepted.size() >= kCapacity) {
        evicted = m_accepted.begin()->first;
        m_accepted.erase(m_accepted.begin());
    }
    m_accepted[socket] = now;
    return evicted;
}

bool WaitingConnections::Remove(int socket) {
    return m_accepted.erase(socket) != 0;
}

std::vector<int> WaitingConnections::TakeSilent(uint32_t now) {
    std::vector<int> silent;
    for (auto it = m_accepted.begin(); it != m_accepted.end();) {
        if (static_cast<uint32_t>(now - it->second) >= kSilenceMs) {
            silent.push_back(it->first);
            it = m_accepted.erase(it);
        } else {
            ++it;
        }
    }
    return silent;
}

std::vector<int> WaitingConnections::TakeAll() {
    std::vector<int> all;
    for (const auto& entry : m_accepted) all.push_back(entry.first);
    m_accepted.clear();
    return all;
}

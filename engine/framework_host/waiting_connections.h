// Accepted connections that have not sent their first data yet. A connection that stays
// silent is dropped after 30 s, and only so many may wait at once, so nobody can use up the
// public port's sockets by connecting and saying nothing.
#pragma once

#include <cstdint>
#include <cstddef>
#include <map>
#include <vector>

class WaitingConnections {
public:
    static constexpr size_t kCapacity = 256;
    static constexpr uint32_t kSilenceMs = 30000;

    // False when the set is full (the caller refuses the connection).
    bool Add(int socket, uint32_t now);
    // True when the socket was waiting (it is removed).
    bool Remove(int socket);
    bool Contains(int socket) const { return m_accepted.count(socket) != 0; }
    // Removes and returns the sockets that have waited at least 30 s.
    std::vector<int> TakeSilent(uint32_t now);
    // Removes and returns every socket.
    std::vector<int> TakeAll();
    size_t Size() const { return m_accepted.size(); }

private:
    std::map<int, uint32_t> m_accepted;  // socket id -> tick when accepted
};

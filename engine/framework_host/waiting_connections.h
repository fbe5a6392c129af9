// Accepted connections that have not sent their first data yet. A connection that stays
// silent for the block-list window (30 s) is dropped, and only so many may wait at once: a new
// one pushes out the one that has waited longest, so nobody can use up the public port by
// connecting and saying nothing, and a real peer still gets in during such a flood.
#pragma once

#include <cstdint>
#include <cstddef>
#include <map>
#include <vector>

#include "block_list.h"

class WaitingConnections {
public:
    static constexpr size_t kCapacity = 256;
    static constexpr uint32_t kSilenceMs = BlockList::kBlockMs;
    static constexpr int kNone = -1;

    // Adds the socket; when the set was full, the longest waiting one is taken out and
    // returned (the caller closes it), else kNone.
    int Add(int socket, uint32_t now);
    // True when the socket was waiting (it is removed).
    bool Remove(int socket);
    bool Contains(int socket) const { return m_accepted.count(socket) != 0; }
    // Removes and returns the sockets that have waited at least 30 s.
    std::vector<int> TakeSilent(uint32_t now);
    // Removes and returns every socket.
    std::vector<int> TakeAll();
    size_t Size() const { return m_accepted.size(); }

private:
    // socket id -> tick when accepted; ids grow with every socket made, so the first is the oldest
    std::map<int, uint32_t> m_accepted;
};

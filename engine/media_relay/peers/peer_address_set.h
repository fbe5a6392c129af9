// An ordered set of peer addresses, each at most once, ordered by peer key. The address pool
// keeps two: the channel's source peers and the host peers named by the host program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "peers/peer_address.h"

class PeerAddressSet {
public:
    using Map = std::map<uint64_t, PeerAddress>;

    // False when the address is already in the set.
    bool Insert(const PeerAddress& address);
    bool Contains(const PeerAddress& address) const;
    void Clear() { m_addresses.clear(); }
    size_t Size() const { return m_addresses.size(); }
    bool Empty() const { return m_addresses.empty(); }

    // In peer-key order; the mapped value is the address.
    Map::const_iterator begin() const { return m_addresses.begin(); }
    Map::const_iterator end() const { return m_addresses.end(); }

private:
    Map m_addresses;
};

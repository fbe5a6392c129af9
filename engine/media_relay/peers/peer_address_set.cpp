#include "peers/peer_address_set.h"

bool PeerAddressSet::Insert(const PeerAddress& address) {
    return m_addresses.emplace(PeerKey(address), address).second;
}

bool PeerAddressSet::Contains(const PeerAddress& address) const {
    return m_addresses.count(PeerKey(address)) != 0;
}

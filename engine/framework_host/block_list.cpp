#include "block_list.h"

void BlockList::Block(uint32_t ipv4_be, uint32_t now) {
    m_entries[ipv4_be] = now;
}

bool BlockList::IsBlocked(uint32_t ipv4_be, uint32_t now) {
    auto it = m_entries.find(ipv4_be);
    if (it == m_entries.end()) return false;
    if (static_cast<uint32_t>(now - it->second) < kBlockMs) return true;
    m_entries.erase(it);
    return false;
}

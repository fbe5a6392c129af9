#include "peers/live_peer_list.h"

#include "session/peer_entry.h"

bool IsLivePeerEntry(const uint8_t* bytes) {
    const PeerEntry entry = PeerEntry::ReadOnly(bytes);
    if (entry.IsFree() || entry.IsSource()) return false;
    const PeerAddress stated = entry.StatedAddress();
    return stated.ipv4 != 0 && stated.tcp_port != 0 && stated.udp_port != 0;
}

uint32_t ListLivePeers(const uint8_t* peer_table, PeerRecord* out, uint32_t capacity) {
    uint32_t appended = 0;
    for (uint32_t k = 0; k < kPeerTableEntries && appended < capacity; ++k) {
        const uint8_t* entry = peer_table + kPeerEntrySize * k;
        if (IsLivePeerEntry(entry)) out[appended++] = PeerRecordFromEntry(entry);
    }
    return appended;
}

std::vector<PeerRecord> ListLivePeers(const uint8_t* peer_table) {
    std::vector<PeerRecord> records(kPeerTableEntries);
    records.resize(ListLivePeers(peer_table, records.data(), kPeerTableEntries));
    return records;
}

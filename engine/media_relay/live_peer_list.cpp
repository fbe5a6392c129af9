#include "live_peer_list.h"

#include "peer_entry.h"
#include "wire_bytes.h"

bool IsLivePeerEntry(const uint8_t* entry) {
    return entry[kPeerEntryState] != 0 && entry[kPeerEntrySource] == 0 &&
           ReadU32(entry + kPeerEntryStatedIPv4) != 0 && ReadU16(entry + kPeerEntryTcpPort) != 0 &&
           ReadU16(entry + kPeerEntryUdpPort) != 0;
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

// The 16-byte peer record of peer lists: a peer address and two further words. Receivers read
// only the address part.
#pragma once

#include <cstdint>

#include "peers/peer_address.h"

constexpr uint32_t kPeerRecordSize = 16;

struct PeerRecord {
    PeerAddress address;
    uint32_t word_a = 0;
    uint32_t word_b = 0;

    bool operator==(const PeerRecord&) const = default;
};

PeerRecord ReadPeerRecord(const uint8_t* bytes);
void WritePeerRecord(uint8_t* bytes, const PeerRecord& record);

// A peer-table entry of the statistics block and the block's own record share one layout for
// the words a record is made of: the public IPv4 at 32, the two ports at 28, then the words at
// 16 and 20. `record_base` points at the entry or at the own record.
PeerRecord PeerRecordFromEntry(const uint8_t* record_base);

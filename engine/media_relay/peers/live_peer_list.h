// The live peers of the statistics block's peer table, as the peer records that peer lists
// carry. An entry is live while it is in use, is not a source and states an IPv4 and both
// ports.
#pragma once

#include <cstdint>
#include <vector>

#include "packets/peer_record.h"

// Scans all 256 entries of `peer_table` (transfers take entries first-free, so live ones can
// lie anywhere) and appends up to `capacity` records to `out`; returns how many it appended.
uint32_t ListLivePeers(const uint8_t* peer_table, PeerRecord* out, uint32_t capacity);
std::vector<PeerRecord> ListLivePeers(const uint8_t* peer_table);

bool IsLivePeerEntry(const uint8_t* entry);

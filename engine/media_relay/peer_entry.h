// One entry of the statistics block's peer table (156 bytes): a live peer transfer publishes
// its peer there for other processes and for the peer lists this host sends.
#pragma once

#include <cstdint>

constexpr uint32_t kPeerEntrySize = 156;
constexpr uint32_t kPeerTableEntries = 256;
constexpr uint32_t kPeerTableSize = kPeerEntrySize * kPeerTableEntries;

constexpr uint32_t kPeerEntryPeerId = 0;           // 16 bytes
constexpr uint32_t kPeerEntryWordA = 16;           // sent as a peer record's third word
constexpr uint32_t kPeerEntryWordB = 20;           // and fourth
constexpr uint32_t kPeerEntryStatedIPv4 = 24;      // the address the peer states
constexpr uint32_t kPeerEntryTcpPort = 28;
constexpr uint32_t kPeerEntryUdpPort = 30;
constexpr uint32_t kPeerEntryConnectionIPv4 = 32;  // where its connection came from
constexpr uint32_t kPeerEntryStatus = 36;          // the peer's 8-byte status record
constexpr uint32_t kPeerEntryFreeSlots = 40;
constexpr uint32_t kPeerEntryMapFirst = 44;
constexpr uint32_t kPeerEntryMapEnd = 48;
constexpr uint32_t kPeerEntryRateMeter = 52;       // 56 bytes
constexpr uint32_t kPeerEntryOutstanding = 108;
constexpr uint32_t kPeerEntryWindow = 112;
constexpr uint32_t kPeerEntryLost = 116;
constexpr uint32_t kPeerEntryRequests = 120;       // eight u32
constexpr uint32_t kPeerEntryState = 152;          // 0 free, 1 greeting, 2 established
constexpr uint32_t kPeerEntryIncoming = 153;
constexpr uint32_t kPeerEntrySource = 154;         // listed only while 0

// Clears an entry when a transfer takes it or gives it back: everything zero and the entry's
// rate meter started now.
void ResetPeerEntry(uint8_t* entry);

// One address known to the peer address pool and the state it is in.
#pragma once

#include <cstdint>

#include "peers/peer_address.h"

enum class PeerAddressState : uint8_t {
    kCandidate = 1,  // heard of, not greeted yet
    kMeasured = 2,   // answered with a round-trip time, or a transfer went well
    kInUse = 3,      // being greeted, or handed out for a transfer
};

struct PeerAddressPoolEntry {
    PeerAddressState state = PeerAddressState::kCandidate;
    PeerAddress address;
    // The round-trip time in ms for measured peers (plus a penalty per hand-out), 65535 for a
    // candidate taken to be greeted, 0 for candidates.
    uint32_t value = 0;
    uint32_t last_picked_tick = 0;  // 0 until NextPeer first hands the peer out
    uint32_t in_use_tick = 0;       // when the entry last entered use
};

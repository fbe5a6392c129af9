// What the peer address pool needs from the channel session that owns it: the statistics
// block, where it finds this host's own address and publishes its counts.
#pragma once

#include <cstdint>

class CPeerAddressPoolOwner {
public:
    virtual ~CPeerAddressPoolOwner() = default;
    // The statistics block bytes, or null when there is none.
    virtual uint8_t* StatsBlock() = 0;
};

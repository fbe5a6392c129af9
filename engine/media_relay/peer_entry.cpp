#include "peer_entry.h"

#include <cstring>

#include "rate_meter.h"

void ResetPeerEntry(uint8_t* entry) {
    std::memset(entry, 0, kPeerEntryState);
    CRateMeter(entry + kPeerEntryRateMeter).Reset();
    entry[kPeerEntryState] = 0;
    entry[kPeerEntryIncoming] = 0;
    entry[kPeerEntrySource] = 0;
}

#include "session/peer_entry.h"

#include <cstring>

void PeerEntry::Reset() {
    std::memset(m_bytes, 0, kPeerEntryState);
    Meter().Reset();
    SetState(PeerEntryState::Free);
    SetIncoming(false);
    SetSource(false);
}

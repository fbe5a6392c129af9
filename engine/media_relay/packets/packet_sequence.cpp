#include "packets/packet_sequence.h"

namespace {
// Only the message loop thread builds packets, so no lock is needed.
uint32_t g_sequence = 0;
}  // namespace

uint32_t NextPacketSequence() {
    return ++g_sequence;
}

uint32_t LastPacketSequence() {
    return g_sequence;
}

void ResetPacketSequence() {
    g_sequence = 0;
}

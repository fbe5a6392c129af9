// What this host says about itself in the packets its links and its peer exchange send, read
// from the channel's statistics block.
#pragma once

#include <cstdint>

#include "packets/packet_fields.h"
#include "packets/peer_record.h"
#include "peers/peer_address.h"

namespace own_fields {

const uint8_t* ChannelGuid(const uint8_t* stats);
const uint8_t* PeerId(const uint8_t* stats);
// The address peers reach this host at: own IPv4 and the two ports.
PeerAddress Address(const uint8_t* stats);
uint8_t FreeSlots(const uint8_t* stats);
StatusRecord Status(const uint8_t* stats);
PieceRange Pieces(const uint8_t* stats);
// The own record as peer lists carry it (public IPv4 and ports).
PeerRecord Record(const uint8_t* stats);

}  // namespace own_fields

#include "packets/own_packet_fields.h"

#include "packets/wire_bytes.h"
#include "session/stats_block.h"

namespace own_fields {

const uint8_t* ChannelGuid(const uint8_t* stats) {
    return stats + stats_block::kChannelGuid;
}

const uint8_t* PeerId(const uint8_t* stats) {
    return stats + stats_block::kOwnPeerId;
}

PeerAddress Address(const uint8_t* stats) {
    return ReadPeerAddress(stats + stats_block::kOwnIPv4);
}

uint8_t FreeSlots(const uint8_t* stats) {
    return stats[stats_block::kFreeSlots];
}

StatusRecord Status(const uint8_t* stats) {
    return ReadStatusRecord(stats + stats_block::kOwnStatus);
}

PieceRange Pieces(const uint8_t* stats) {
    return ReadPieceRange(stats + stats_block::kFirstHeld);
}

PeerRecord Record(const uint8_t* stats) {
    return PeerRecordFromEntry(stats + stats_block::kOwnPeerRecord);
}

}  // namespace own_fields

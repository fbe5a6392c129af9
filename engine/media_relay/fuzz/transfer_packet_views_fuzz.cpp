// Arbitrary bytes into every view of a peer connection's packets ('@', 'A', 'B', 'D', 'E', 'F');
// each valid view has every field read, a 'D' becomes the peer's piece map and an 'F' is
// copied as the relay would keep it.
#include <cstddef>
#include <cstdint>

#include "field_sink.h"
#include "fake_engine_core.h"
#include "packets/hello_packet.h"
#include "packets/peer_list_packet.h"
#include "packets/transfer_packets.h"
#include "pieces/piece_bitmap.h"

using namespace field_sink;

namespace {

void Control(const uint8_t* data, uint32_t size) {
    const ControlView v(data, size);
    if (!v.IsValid()) return;
    Touch(v.Kind());
    TouchBytes(v.ControlData(), v.ControlLength());
    if (v.IsPieceUnavailable()) Touch(v.UnavailablePiece());
}

void Greetings(const uint8_t* data, uint32_t size) {
    if (const HelloView v(data, size); v.IsValid()) {
        Touch(v.Address().ipv4 + v.Address().tcp_port + v.Address().udp_port + v.FreeSlots() + v.Tick());
        TouchBytes(v.ChannelGuid(), kGuidSize);
        TouchBytes(v.SenderId(), kGuidSize);
    }
    if (const PeerListView v(data, size); v.IsValid()) {
        Touch(v.EchoedTick());
        for (uint32_t i = 0; i < v.RecordCount(); ++i) {
            const PeerRecord r = v.RecordAt(i);
            Touch(r.address.ipv4 + r.address.tcp_port + r.address.udp_port + r.word_a + r.word_b);
        }
    }
}

void Availability(const uint8_t* data, uint32_t size) {
    const AvailabilityView v(data, size);
    if (!v.IsValid()) return;
    const StatusRecord s = v.Status();
    Touch(s.send_rate_k + s.free_slots + s.outgoing + s.incoming + s.loss_percent);
    const CPieceBitmap map(v.FirstPiece(), v.ByteCount(), v.Bits());
    for (uint32_t i = 0; i < map.Count(); ++i) Touch(map.At(i) + map.Has(map.PieceAt(i)));
}

void Requests(const uint8_t* data, uint32_t size) {
    const PieceRequestView v(data, size);
    if (!v.IsValid()) return;
    for (uint32_t i = 0; i < v.Count(); ++i) Touch(v.PieceAt(i));
}

void Piece(const uint8_t* data, uint32_t size) {
    const PieceView v(data, size);
    if (!v.IsValid()) return;
    Touch(v.PieceNumber() + v.Kind());
    TouchBytes(v.Body(), v.BodyLength());
    switch (v.Kind()) {
        case 1:
            Touch(v.TimeStamp() + v.StreamHeaderId());
            TouchBytes(v.StreamData(), v.StreamDataLength());
            break;
        case 2: {
            const StreamHeaderRecord r = v.HeaderRecord();
            Touch(r.type);
            TouchBytes(r.prefix, r.prefix_length);
            TouchBytes(r.data, r.data_length);
            TouchBytes(r.data + r.data_length, r.trailing_length);
            break;
        }
        default:
            TouchBytes(v.ExtraData(), v.ExtraLength());
            break;
    }
    const CTransferPacket copy = CopyPiecePacket(v);
    if (!copy.IsEmpty()) TouchBytes(copy.Data(), copy.Length());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fake_core::Bind();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint32_t length = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    Control(data, length);
    Greetings(data, length);
    Availability(data, length);
    Requests(data, length);
    Piece(data, length);
    return 0;
}

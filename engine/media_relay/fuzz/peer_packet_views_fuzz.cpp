// Arbitrary bytes into every view of a peer packet (UDP requests and link-server replies); each
// view that calls the bytes valid has every field read, the variable parts to their last byte.
// The bytes also go in once more with both magic words set, so that the search spends its time
// on the layouts behind them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "field_sink.h"
#include "packets/announce_packet.h"
#include "packets/hello_packet.h"
#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "packets/peer_list_packet.h"

using namespace field_sink;

namespace {

void TouchAddress(const PeerAddress& a) {
    Touch(a.ipv4 + a.tcp_port + a.udp_port);
}

void TouchRecord(const PeerRecord& r) {
    TouchAddress(r.address);
    Touch(r.word_a + r.word_b);
}

void TouchStatus(const StatusRecord& s) {
    Touch(s.reserved + s.send_rate_k + s.free_slots + s.outgoing + s.incoming + s.loss_percent);
}

void TouchRequestHeader(const RequestHeaderView& v) {
    Touch(v.Type() + v.Flag() + v.IsRequest() + v.Sequence());
    TouchBytes(v.ChannelGuid(), kGuidSize);
    TouchBytes(v.SenderId(), kGuidSize);
}

void TouchReplyHeader(const ReplyHeaderView& v) {
    Touch(v.Type() + v.Flag() + v.IsReply() + v.Sequence() + v.Source().low + v.Source().high);
    TouchBytes(v.ChannelGuid(), kGuidSize);
}

void Requests(const uint8_t* data, uint32_t size) {
    if (const RequestHeaderView h(data, size); h.IsValid()) TouchRequestHeader(h);
    if (const JoinView v(data, size); v.IsValid()) {
        Touch(v.TcpPort() + v.UdpPort() + v.TypeOneWord());
        for (uint32_t i = 0; i < v.AddressCount(); ++i) Touch(v.AddressAt(i));
    }
    if (const AnnounceView v(data, size); v.IsValid()) {
        TouchStatus(v.Status());
        Touch(v.Range().first + v.Range().last + v.RepliesReceived() + v.WantedRecords());
    }
    if (const LinkStatusView v(data, size); v.IsValid()) {
        TouchStatus(v.Status());
        Touch(v.Range().first + v.Range().last);
    }
    if (const LeaveView v(data, size); v.IsValid()) {
        for (char c : v.FirstText()) Touch(static_cast<uint8_t>(c));
        for (char c : v.SecondText()) Touch(static_cast<uint8_t>(c));
    }
    if (const HelloView v(data, size); v.IsValid()) {
        TouchAddress(v.Address());
        Touch(v.FreeSlots() + v.Tick());
    }
    if (const PeerListView v(data, size); v.IsValid()) {
        Touch(v.EchoedTick());
        for (uint32_t i = 0; i < v.RecordCount(); ++i) TouchRecord(v.RecordAt(i));
    }
}

void Replies(const uint8_t* data, uint32_t size) {
    if (const ReplyHeaderView h(data, size); h.IsValid()) TouchReplyHeader(h);
    if (const JoinReplyView v(data, size); v.IsValid()) Touch(v.SeenIPv4() + v.KeepAliveSeconds());
    if (const PeerListReplyView v(data, size); v.IsValid()) {
        for (uint32_t i = 0; i < v.RecordCount(); ++i) TouchRecord(v.RecordAt(i));
    }
    if (const StatusReplyView v(data, size); v.IsValid()) Touch(v.Source().low);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint32_t length = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    Requests(data, length);
    Replies(data, length);

    if (length < kMagic2Offset + 2) return 0;
    // An exact-size copy, so a read past the bytes is still caught.
    std::vector<uint8_t> framed(data, data + length);
    framed[kMagic1Offset] = 0x98;
    framed[kMagic1Offset + 1] = 0xAB;
    framed[kMagic2Offset] = 0x01;
    framed[kMagic2Offset + 1] = 0x02;
    Requests(framed.data(), length);
    Replies(framed.data(), length);
    return 0;
}

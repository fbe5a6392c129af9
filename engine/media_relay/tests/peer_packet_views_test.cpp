// What the views of received peer packets accept: the minimum length of each type, the length
// its count field asks for, the magic words and the type byte; and the fields they read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "packet_validity_cases.h"
#include "packets/announce_packet.h"
#include "packets/hello_packet.h"
#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "packets/peer_list_packet.h"

using namespace packet_test;

namespace {

template <class View>
bool IsValidAs(const uint8_t* data, uint32_t length) {
    return View(data, length).IsValid();
}

// A request of `type` of `length` bytes whose count byte at `count_offset` is `count`.
Bytes Counted(uint8_t type, uint32_t length, uint32_t count_offset, uint8_t count) {
    return With(RequestWithPayload(type, length - 44), count_offset, count);
}

}  // namespace

TEST(PeerPacketViews, HeadersNeedTheirLengthAndBothMagicWords) {
    const Bytes request = RequestWithPayload(1, 0);
    ExpectValidity<RequestHeaderView>({
        {"43 bytes", Cut(request, 43), false},
        {"44 bytes", request, true},
        {"first magic word wrong", With(request, 4, 0x99), false},
        {"second magic word wrong", With(request, 7, 0x03), false},
        {"mark 1001 is not checked", With(request, 0, 0), true},
    });
    const Bytes reply = ReplyWithPayload(1, 0);
    ExpectValidity<ReplyHeaderView>({
        {"35 bytes", Cut(reply, 35), false},
        {"36 bytes", reply, true},
    });
    EXPECT_FALSE(PeerPacketView(request.data(), 27).HasPeerFraming());
    EXPECT_TRUE(PeerPacketView(request.data(), 28).HasPeerFraming());
    EXPECT_FALSE(RequestHeaderView(nullptr, 100).IsValid()) << "no bytes at all";
    const Bytes three = Cut(ReplyWithPayload(1, 0), 3);
    EXPECT_FALSE(ReplyHeaderView(three.data(), 3).IsReply()) << "no flag byte to read";
    EXPECT_EQ(ReplyHeaderView(three.data(), 3).Type(), 1);
}

TEST(PeerPacketViews, Join) {
    ExpectValidity<JoinView>({
        {"60 bytes", Counted(1, 60, 56, 0), false},
        {"61 bytes, no address", Counted(1, 61, 60, 0), true},
        {"one address, 64 bytes", Counted(1, 64, 60, 1), false},
        {"one address, 65 bytes", Counted(1, 65, 60, 1), true},
        {"255 addresses, one short", Counted(1, 61 + 4 * 255 - 1, 60, 255), false},
        {"255 addresses", Counted(1, 61 + 4 * 255, 60, 255), true},
        {"another type", With(Counted(1, 61, 60, 0), 2, 2), false},
    });
}

TEST(PeerPacketViews, FixedLengthRequests) {
    ExpectValidity<AnnounceView>({
        {"63 bytes", RequestWithPayload(2, 19), false},
        {"64 bytes", RequestWithPayload(2, 20), true},
        {"65 bytes", RequestWithPayload(2, 21), true},
        {"a status of 64 bytes", RequestWithPayload(3, 20), false},
    });
    ExpectValidity<LinkStatusView>({
        {"59 bytes", RequestWithPayload(3, 15), false},
        {"60 bytes", RequestWithPayload(3, 16), true},
    });
    ExpectValidity<HelloView>({
        {"56 bytes", RequestWithPayload('A', 12), false},
        {"57 bytes", RequestWithPayload('A', 13), true},
        {"a peer list of 57 bytes", RequestWithPayload('B', 13), false},
        {"57 bytes with a wrong magic word", With(RequestWithPayload('A', 13), 5, 0), false},
        {"28 bytes", Cut(RequestWithPayload('A', 13), 28), false},
    });
}

TEST(PeerPacketViews, Leave) {
    Bytes texts = Counted(4, 51, 44, 2);
    texts[45] = 3;
    ExpectValidity<LeaveView>({
        {"45 bytes", RequestWithPayload(4, 1), false},
        {"46 bytes, two empty texts", RequestWithPayload(4, 2), true},
        {"texts 2 + 3, 50 bytes", Cut(texts, 50), false},
        {"texts 2 + 3, 51 bytes", texts, true},
    });
}

TEST(PeerPacketViews, PeerListNeedsEveryRecordItsCountByteNames) {
    ExpectValidity<PeerListView>({
        {"48 bytes", RequestWithPayload('B', 4), false},
        {"count 0, 49 bytes", Counted('B', 49, 48, 0), true},
        {"count 1, 64 bytes", Counted('B', 64, 48, 1), false},
        {"count 1, 65 bytes", Counted('B', 65, 48, 1), true},
        {"count 2, 80 bytes", Counted('B', 80, 48, 2), false},
        {"count 2, 81 bytes", Counted('B', 81, 48, 2), true},
        {"count 255 and no records", Counted('B', 49, 48, 255), false},
        {"count 255, all records", Counted('B', 49 + 16 * 255, 48, 255), true},
    });
}

TEST(PeerPacketViews, LinkReplies) {
    ExpectValidity<JoinReplyView>({
        {"53 bytes", ReplyWithPayload(1, 17), false},
        {"54 bytes", ReplyWithPayload(1, 18), true},
        {"a status reply of 54 bytes", ReplyWithPayload(3, 18), false},
    });
    ExpectValidity<PeerListReplyView>({
        {"36 bytes", ReplyWithPayload(2, 0), false},
        {"n 0, 37 bytes", ReplyWithPayload(2, 1), true},
        {"n 1, 52 bytes", With(ReplyWithPayload(2, 16), 36, 1), false},
        {"n 1, 53 bytes", With(ReplyWithPayload(2, 17), 36, 1), true},
        {"n 255, 37 bytes", With(ReplyWithPayload(2, 1), 36, 255), false},
    });
    ExpectValidity<StatusReplyView>({
        {"36 bytes", ReplyWithPayload(3, 0), false},
        {"37 bytes", ReplyWithPayload(3, 1), true},
    });
    // The request flag is the handler's test, not the view's.
    const Bytes flagged = With(ReplyWithPayload(3, 1), 3, 1);
    const StatusReplyView view(flagged.data(), static_cast<uint32_t>(flagged.size()));
    EXPECT_TRUE(view.IsValid());
    EXPECT_FALSE(view.IsReply());
}

TEST(PeerPacketViews, ReadTheFieldsOfRequests) {
    const Bytes join = Concat({RequestHeaderBytes(1, 5),
                               {0x90, 0x1F, 0x91, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0x02, 0x7F,
                                0x00, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x02}});
    const JoinView j(join.data(), static_cast<uint32_t>(join.size()));
    ASSERT_TRUE(j.IsValid());
    EXPECT_TRUE(j.IsRequest());
    EXPECT_EQ(j.Sequence(), 5u);
    EXPECT_EQ(0, std::memcmp(j.ChannelGuid(), kChannel, 16));
    EXPECT_EQ(0, std::memcmp(j.SenderId(), kSender, 16));
    EXPECT_EQ(j.TcpPort(), 8080);
    EXPECT_EQ(j.UdpPort(), 8081);
    EXPECT_EQ(j.TypeOneWord(), 0x11223344u);
    ASSERT_EQ(j.AddressCount(), 2);
    EXPECT_EQ(j.AddressAt(0), 0x0100007Fu);
    EXPECT_EQ(j.AddressAt(1), 0x0200000Au);

    const Bytes announce = Concat({RequestHeaderBytes(2, 1),
                                   {0x00, 0x00, 0x02, 0x01, 0x05, 0x02, 0x03, 0x07, 0x41, 0x42, 0x0F, 0x00, 0x50,
                                    0x42, 0x0F, 0x00, 0x07, 0x00, 0x32, 0x00}});
    const AnnounceView a(announce.data(), static_cast<uint32_t>(announce.size()));
    ASSERT_TRUE(a.IsValid());
    EXPECT_EQ(a.Status(), (StatusRecord{0, 0x0102, 5, 2, 3, 7}));
    EXPECT_EQ(a.Range(), (PieceRange{1000001, 1000016}));
    EXPECT_EQ(a.RepliesReceived(), 7);
    EXPECT_EQ(a.WantedRecords(), 50);

    const Bytes leave = Concat({RequestHeaderBytes(4, 1), {0x02, 0x03, 'a', 'b', 'x', 'y', 'z'}});
    const LeaveView l(leave.data(), static_cast<uint32_t>(leave.size()));
    ASSERT_TRUE(l.IsValid());
    EXPECT_EQ(l.FirstText(), "ab");
    EXPECT_EQ(l.SecondText(), "xyz");

    const Bytes hello = Concat({RequestHeaderBytes('A', 1),
                                {0x7F, 0x00, 0x00, 0x01, 0x90, 0x1F, 0x91, 0x1F, 0x09, 0xDD, 0xCC, 0xBB, 0xAA}});
    const HelloView h(hello.data(), static_cast<uint32_t>(hello.size()));
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.Address(), (PeerAddress{0x0100007F, 8080, 8081}));
    EXPECT_EQ(h.FreeSlots(), 9);
    EXPECT_EQ(h.Tick(), 0xAABBCCDDu);

    const Bytes list = Concat({RequestHeaderBytes('B', 1), {0x07, 0x00, 0x00, 0x00, 0x02},
                               {0x7F, 0x00, 0x00, 0x01, 0x90, 0x1F, 0x91, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0},
                               {0x0A, 0x00, 0x00, 0x02, 0x50, 0x00, 0x51, 0x00, 1, 2, 3, 4, 5, 6, 7, 8}});
    const PeerListView p(list.data(), static_cast<uint32_t>(list.size()));
    ASSERT_TRUE(p.IsValid());
    EXPECT_EQ(p.EchoedTick(), 7u);
    ASSERT_EQ(p.RecordCount(), 2);
    EXPECT_EQ(p.RecordAt(0), (PeerRecord{{0x0100007F, 8080, 8081}, 0, 0}));
    EXPECT_EQ(p.RecordAt(1), (PeerRecord{{0x0200000A, 80, 81}, 0x04030201, 0x08070605}));
}

TEST(PeerPacketViews, ReadTheFieldsOfReplies) {
    const Bytes join = Concat({ReplyHeaderBytes(1, 3), {0xC0, 0xA8, 0x01, 0x64, 0x1E, 0x00}, Bytes(12, 0)});
    const JoinReplyView j(join.data(), static_cast<uint32_t>(join.size()));
    ASSERT_TRUE(j.IsValid());
    EXPECT_TRUE(j.IsReply());
    EXPECT_EQ(j.Sequence(), 3u);
    EXPECT_EQ(j.Source(), (SourceRange{1000000, 1000192}));
    EXPECT_EQ(j.SeenIPv4(), 0x6401A8C0u);
    EXPECT_EQ(j.KeepAliveSeconds(), 30);

    const Bytes list = Concat({ReplyHeaderBytes(2, 1), {0x01, 0x0A, 0x00, 0x00, 0x02, 0x50, 0x00, 0x51, 0x00},
                               Bytes(8, 0)});
    const PeerListReplyView p(list.data(), static_cast<uint32_t>(list.size()));
    ASSERT_TRUE(p.IsValid());
    ASSERT_EQ(p.RecordCount(), 1);
    EXPECT_EQ(p.RecordAt(0).address, (PeerAddress{0x0200000A, 80, 81}));
}

TEST(PeerPacketViews, EveryShorterPrefixOfAMinimalPacketIsInvalid) {
    // Each packet at exactly the length its type and counts ask for; no prefix of it may pass.
    struct Case {
        const char* name;
        Bytes bytes;
        bool (*valid)(const uint8_t*, uint32_t);
    };
    const Case cases[] = {
        {"join with two addresses", Counted(1, 69, 60, 2), &IsValidAs<JoinView>},
        {"announce", RequestWithPayload(2, 20), &IsValidAs<AnnounceView>},
        {"status", RequestWithPayload(3, 16), &IsValidAs<LinkStatusView>},
        {"leave with texts", With(With(RequestWithPayload(4, 6), 44, 1), 45, 3), &IsValidAs<LeaveView>},
        {"hello", RequestWithPayload('A', 13), &IsValidAs<HelloView>},
        {"peer list of 3", Counted('B', 97, 48, 3), &IsValidAs<PeerListView>},
        {"join reply", ReplyWithPayload(1, 18), &IsValidAs<JoinReplyView>},
        {"peer list reply of 2", With(ReplyWithPayload(2, 33), 36, 2), &IsValidAs<PeerListReplyView>},
        {"status reply", ReplyWithPayload(3, 1), &IsValidAs<StatusReplyView>},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.valid(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))) << c.name;
        for (uint32_t n = 0; n < c.bytes.size(); ++n) {
            const Bytes prefix = Cut(c.bytes, n);
            EXPECT_FALSE(c.valid(prefix.data(), n)) << c.name << " cut to " << n;
        }
    }
}

// Transfer packets of peer connections: golden bytes of the builders, what the views accept
// and read, and the core block each packet lives in.
#include <gtest/gtest.h>

#include <string>

#include "fake_engine_core.h"
#include "packet_validity_cases.h"
#include "packets/transfer_packets.h"

using namespace packet_test;

namespace {

const StatusRecord kStatus{0, 0x0102, 5, 2, 3, 7};

Bytes Built(const CTransferPacket& p) {
    return p.IsEmpty() ? Bytes{} : Bytes(p.Data(), p.Data() + p.Length());
}

class TransferPackets : public ::testing::Test {
protected:
    void SetUp() override { fake_core::Bind(); }
    void TearDown() override {
        EXPECT_TRUE(fake_core::Get().blocks.empty()) << "a packet block was not freed";
        EXPECT_EQ(fake_core::Get().bad_frees, 0);
        UnbindTablesForTest();
    }
};

// Transfer header of `type` followed by `payload`.
Bytes Transfer(uint8_t type, Bytes payload) {
    return Concat({{0xE9, 0x03, type, 0x01}, payload});
}

// An 'F' of piece 1000005 of `kind` with body length `l` and the `body` bytes present.
Bytes Piece(uint8_t kind, uint16_t l, Bytes body) {
    return Concat({{0xE9, 0x03, 'F', 0x01, 0x45, 0x42, 0x0F, 0x00, kind, static_cast<uint8_t>(l),
                    static_cast<uint8_t>(l >> 8)},
                   body});
}

}  // namespace

TEST_F(TransferPackets, ControlPackets) {
    EXPECT_EQ(Built(BuildControlPacket(kControlClose, nullptr, 0)),
              (Bytes{0xE9, 0x03, 0x40, 0x01, 0x01, 0x00, 0x00, 0x00}));
    const uint8_t data[] = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(Built(BuildControlPacket(0x00FE, data, 3)),
              (Bytes{0xE9, 0x03, 0x40, 0x01, 0xFE, 0x00, 0x03, 0x00, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(Built(BuildPieceUnavailablePacket(1000005)),
              (Bytes{0xE9, 0x03, 0x40, 0x01, 0x02, 0x00, 0x04, 0x00, 0x45, 0x42, 0x0F, 0x00}));
}

TEST_F(TransferPackets, AvailabilityPacket) {
    const uint8_t bits[] = {0x81, 0x40};
    EXPECT_EQ(Built(BuildAvailabilityPacket(kStatus, 1000000, bits, 2)),
              (Bytes{0xE9, 0x03, 0x44, 0x01, 0x00, 0x00, 0x02, 0x01, 0x05, 0x02, 0x03, 0x07, 0x02, 0x00, 0x40, 0x42,
                     0x0F, 0x00, 0x81, 0x40}));
    EXPECT_EQ(Built(BuildAvailabilityPacket(kStatus, 7, nullptr, 0)),
              (Bytes{0xE9, 0x03, 0x44, 0x01, 0x00, 0x00, 0x02, 0x01, 0x05, 0x02, 0x03, 0x07, 0x00, 0x00, 0x07, 0x00,
                     0x00, 0x00}));
}

TEST_F(TransferPackets, AvailabilityMapIsClampedToWhatItsCountCanSay) {
    CTransferPacket packet = BuildAvailabilityPacket(kStatus, 1, nullptr, 70000);
    ASSERT_FALSE(packet.IsEmpty());
    EXPECT_EQ(packet.Length(), 18u + 65535u);
    EXPECT_EQ(packet.Data()[12], 0xFF);
    EXPECT_EQ(packet.Data()[13], 0xFF);
    const uint8_t* bits = AvailabilityBits(packet);
    for (uint32_t i = 0; i < 65535; ++i) ASSERT_EQ(bits[i], 0) << "a map built in place starts clear, byte " << i;
    const AvailabilityView view(packet.Data(), packet.Length());
    EXPECT_TRUE(view.IsValid()) << "the count states exactly the bytes sent";
}

TEST_F(TransferPackets, AvailabilityByteCountAndMarks) {
    struct Case {
        uint32_t first, end, bytes;
    };
    for (const Case c : {Case{1000, 1000, 0}, Case{1000, 999, 0}, Case{1000, 1001, 1}, Case{1000, 1008, 1},
                         Case{1000, 1009, 2}, Case{0, 524280, 65535}, Case{0, 524281, 65535},
                         Case{1, 0xFFFFFFFF, 65535}}) {
        EXPECT_EQ(AvailabilityByteCount(c.first, c.end), c.bytes) << c.first << ".." << c.end;
    }
    uint8_t bits[3] = {0, 0, 0};
    for (const uint32_t index : {0u, 7u, 9u, 23u, 24u, 1000u}) MarkAvailable(bits, 2, index);
    EXPECT_EQ(Bytes(bits, bits + 3), (Bytes{0x81, 0x40, 0x00})) << "indexes past the map leave it alone";
}

TEST_F(TransferPackets, PieceRequests) {
    EXPECT_EQ(Built(BuildPieceRequestPacket(1000005)), (Bytes{0xE9, 0x03, 0x45, 0x01, 0x01, 0x45, 0x42, 0x0F, 0x00}));
    const uint32_t pieces[] = {1, 0x01020304};
    EXPECT_EQ(Built(BuildPieceRequestPacket(pieces, 2)),
              (Bytes{0xE9, 0x03, 0x45, 0x01, 0x02, 0x01, 0x00, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01}));
    const std::vector<uint32_t> many(300, 9);
    CTransferPacket packet = BuildPieceRequestPacket(many.data(), 300);
    EXPECT_EQ(packet.Length(), 5u + 4u * 255u);
    EXPECT_EQ(packet.Data()[4], 255);
}

TEST_F(TransferPackets, PieceCopyIsByteForByte) {
    const Bytes piece = Piece(1, 10, {0x10, 0x27, 0, 0, 0x40, 0x42, 0x0F, 0x00, 0xAB, 0xCD});
    const PieceView view(piece.data(), static_cast<uint32_t>(piece.size()));
    ASSERT_TRUE(view.IsValid());
    EXPECT_EQ(Built(CopyPiecePacket(view)), piece);
}

TEST_F(TransferPackets, NoMemoryGivesEmptyPackets) {
    fake_core::Get().refuse_alloc = true;
    EXPECT_TRUE(BuildControlPacket(kControlClose, nullptr, 0).IsEmpty());
    CTransferPacket d = BuildAvailabilityPacket(kStatus, 1, nullptr, 8);
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_EQ(AvailabilityBits(d), nullptr);
    EXPECT_TRUE(BuildPieceRequestPacket(5).IsEmpty());
    EXPECT_EQ(BuildPieceRequestPacket(5).Length(), 0u);
}

TEST_F(TransferPackets, OwnershipMovesAndReleases) {
    CTransferPacket a = BuildPieceRequestPacket(5);
    const uint8_t* block = a.Data();
    CTransferPacket b = std::move(a);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(b.Data(), block);
    b = BuildPieceRequestPacket(6);  // frees the first block
    EXPECT_EQ(fake_core::Get().blocks.size(), 1u);
    uint8_t* released = b.Release();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(fake_core::Get().blocks.size(), 1u) << "a released block is the caller's";
    CoreFree(released);
}

TEST(TransferPacketViews, Control) {
    ExpectValidity<ControlView>({
        {"7 bytes", Transfer('@', {0x01, 0x00, 0x00}), false},
        {"n 0, 8 bytes", Transfer('@', {0x01, 0x00, 0x00, 0x00}), true},
        {"n 4, 11 bytes", Transfer('@', {0x02, 0x00, 0x04, 0x00, 1, 2, 3}), false},
        {"n 4, 12 bytes", Transfer('@', {0x02, 0x00, 0x04, 0x00, 1, 2, 3, 4}), true},
        {"n 65535, 8 bytes", Transfer('@', {0x02, 0x00, 0xFF, 0xFF}), false},
        {"an 'E' of 8 bytes", Transfer('E', {0x00, 0x00, 0x00, 0x00}), false},
    });
    const Bytes unavailable = Transfer('@', {0x02, 0x00, 0x04, 0x00, 0x45, 0x42, 0x0F, 0x00});
    const ControlView v(unavailable.data(), static_cast<uint32_t>(unavailable.size()));
    ASSERT_TRUE(v.IsValid());
    EXPECT_EQ(v.Kind(), kControlPieceUnavailable);
    ASSERT_TRUE(v.IsPieceUnavailable());
    EXPECT_EQ(v.UnavailablePiece(), 1000005u);
    const Bytes odd = Transfer('@', {0x02, 0x00, 0x03, 0x00, 1, 2, 3});
    EXPECT_FALSE(ControlView(odd.data(), static_cast<uint32_t>(odd.size())).IsPieceUnavailable())
        << "kind 2 names a piece only with exactly four bytes";
}

TEST(TransferPacketViews, Availability) {
    const Bytes status = {0x00, 0x00, 0x02, 0x01, 0x05, 0x02, 0x03, 0x07};
    ExpectValidity<AvailabilityView>({
        {"17 bytes", Transfer('D', Concat({status, {0, 0, 0, 0, 0}})), false},
        {"n 0, 18 bytes", Transfer('D', Concat({status, {0, 0, 0, 0, 0, 0}})), true},
        {"n 2, 19 bytes", Transfer('D', Concat({status, {2, 0, 0, 0, 0, 0, 0xFF}})), false},
        {"n 2, 20 bytes", Transfer('D', Concat({status, {2, 0, 0, 0, 0, 0, 0xFF, 0xFF}})), true},
        {"n 65535 with 10 bytes", Transfer('D', Concat({status, {0xFF, 0xFF, 0, 0, 0, 0}, Bytes(10, 0xFF)})), false},
    });
    const Bytes d = Transfer('D', Concat({status, {0x02, 0x00, 0x40, 0x42, 0x0F, 0x00, 0x81, 0x40}}));
    const AvailabilityView v(d.data(), static_cast<uint32_t>(d.size()));
    ASSERT_TRUE(v.IsValid());
    EXPECT_EQ(v.Status(), kStatus);
    EXPECT_EQ(v.ByteCount(), 2);
    EXPECT_EQ(v.FirstPiece(), 1000000u);
    EXPECT_EQ(v.Bits()[0], 0x81);
    EXPECT_EQ(v.Bits()[1], 0x40);
}

TEST(TransferPacketViews, PieceRequest) {
    ExpectValidity<PieceRequestView>({
        {"4 bytes", Transfer('E', {}), false},
        {"c 0, 5 bytes", Transfer('E', {0x00}), true},
        {"c 1, 8 bytes", Transfer('E', {0x01, 1, 2, 3}), false},
        {"c 1, 9 bytes", Transfer('E', {0x01, 1, 2, 3, 4}), true},
        {"c 255, 5 bytes", Transfer('E', {0xFF}), false},
    });
    const Bytes e = Transfer('E', {0x02, 0x45, 0x42, 0x0F, 0x00, 0x01, 0x00, 0x00, 0x00});
    const PieceRequestView v(e.data(), static_cast<uint32_t>(e.size()));
    ASSERT_TRUE(v.IsValid());
    ASSERT_EQ(v.Count(), 2);
    EXPECT_EQ(v.PieceAt(0), 1000005u);
    EXPECT_EQ(v.PieceAt(1), 1u);
}

TEST(TransferPacketViews, PieceBodyMustLieInsideThePacket) {
    const Bytes prefix = {0x10, 0x27, 0, 0, 0x40, 0x42, 0x0F, 0x00};  // time 10000, header 1000000
    Bytes zero_number = Piece(1, 8, prefix);
    zero_number[4] = zero_number[5] = zero_number[6] = zero_number[7] = 0;
    ExpectValidity<PieceView>({
        {"11 bytes, nothing in it", Piece(1, 0, {}), false},
        {"data, L 8, 19 bytes", Piece(1, 8, prefix), true},
        {"data, L 9 with 8 bytes present", Piece(1, 9, prefix), false},
        {"data, L 7 below its prefix", Piece(1, 7, Bytes(7, 0)), false},
        {"data, L 65535 with 8 bytes present", Piece(1, 0xFFFF, prefix), false},
        {"piece number 0", zero_number, false},
        {"header, empty record", Piece(2, 8, {0x03, 0x01, 0, 0, 0, 0, 0, 0}), true},
        {"header, record of 1 + 2 bytes in L 10", Piece(2, 10, {0x03, 0x01, 1, 0, 2, 0, 0, 0, 9, 9}), false},
        {"header, trailing byte past L", Piece(2, 10, {0x03, 0x01, 1, 0, 1, 0, 1, 0, 9, 9}), false},
        {"header, 1 + 1 + 1 bytes in L 11", Piece(2, 11, {0x03, 0x01, 1, 0, 1, 0, 1, 0, 9, 9, 9}), true},
        {"header, L 7", Piece(2, 7, Bytes(7, 0)), false},
        {"kind 3, m 0", Piece(3, 2, {0, 0}), true},
        {"kind 3, m 2 in L 3", Piece(3, 3, {2, 0, 9}), false},
        {"kind 3, L 1", Piece(3, 1, {0}), false},
        {"unknown kind", Piece(4, 8, prefix), false},
        {"an 'E' type byte", With(Piece(1, 8, prefix), 2, 'E'), false},
    });
}

TEST(TransferPacketViews, PieceFields) {
    const Bytes data = Piece(1, 11, {0x10, 0x27, 0, 0, 0x40, 0x42, 0x0F, 0x00, 0xA1, 0xA2, 0xA3});
    const PieceView d(data.data(), static_cast<uint32_t>(data.size()));
    ASSERT_TRUE(d.IsValid());
    EXPECT_EQ(d.PieceNumber(), 1000005u);
    EXPECT_EQ(d.Kind(), 1);
    EXPECT_EQ(d.BodyLength(), 11);
    EXPECT_EQ(d.TimeStamp(), 10000u);
    EXPECT_EQ(d.StreamHeaderId(), 1000000u);
    EXPECT_EQ(Bytes(d.StreamData(), d.StreamData() + d.StreamDataLength()), (Bytes{0xA1, 0xA2, 0xA3}));

    const Bytes header = Piece(2, 12, {0x03, 0x01, 0x02, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x02, 'H', 'T'});
    const PieceView h(header.data(), static_cast<uint32_t>(header.size()));
    ASSERT_TRUE(h.IsValid());
    const StreamHeaderRecord r = h.HeaderRecord();
    EXPECT_EQ(r.type, 259);
    EXPECT_EQ(r.prefix_length, 2);
    EXPECT_EQ(r.data_length, 1);
    EXPECT_EQ(r.trailing_length, 1);
    EXPECT_EQ(r.prefix, header.data() + 19);
    EXPECT_EQ(r.data[0], 'H');
}

#include <gtest/gtest.h>

#include "fake_engine.h"
#include "piece_builder.h"
#include "pieces/piece_index.h"

namespace {

using namespace piece_builder;

class PieceTest : public ::testing::Test {
protected:
    void SetUp() override { fake_engine::Install(); }
};

TEST_F(PieceTest, MalformedPacketsMakeNoPiece) {
    std::vector<uint8_t> lying_length = DataPacket(7, 0, 1);
    WriteU16(lying_length.data() + 9, static_cast<uint16_t>(lying_length.size() - 11 + 1));
    std::vector<uint8_t> header_overrun = Packet(5, PIECE_HEADER, HeaderBody(259, "", "HTTP"));
    WriteU16(header_overrun.data() + 15, 5);  // n = 5 with 4 bytes present
    struct Case {
        const char* name;
        std::vector<uint8_t> packet;
    } cases[] = {
        {"shorter than the fixed part", std::vector<uint8_t>(10, 0)},
        {"body length beyond the packet", lying_length},
        {"piece number 0", DataPacket(0, 0, 1)},
        {"data body without its prefix", Packet(7, PIECE_DATA, "1234567")},
        {"header body shorter than its record", Packet(5, PIECE_HEADER, "1234567")},
        {"header data beyond the body", header_overrun},
    };
    for (const Case& c : cases) EXPECT_EQ(FromPacket(c.packet), nullptr) << c.name;
}

TEST_F(PieceTest, WellFormedPiecesReadTheirFields) {
    auto data = Data(42, 1234, 40, "stream");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Number(), 42u);
    EXPECT_TRUE(data->IsData());
    EXPECT_EQ(data->TimeStamp(), 1234u);
    EXPECT_EQ(data->HeaderId(), 40u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->StreamData()), data->StreamDataLength()), "stream");

    auto empty = Data(43, 1, 40, "");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->StreamDataLength(), 0u);

    auto header = Header(40, 258, "HEAD", U16(1) + U16(2));
    ASSERT_TRUE(header);
    StreamHeaderRecord record;
    ASSERT_TRUE(header->HeaderRecord(&record));
    EXPECT_EQ(record.type, 258);
    EXPECT_EQ(record.prefix_length, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data), record.data_length), "HEAD");
    EXPECT_EQ(header->TimeStamp(), 0u);  // only data pieces have one
    EXPECT_FALSE(data->HeaderRecord(&record));

    auto other = FromPacket(Packet(9, 3, U16(0)));
    ASSERT_TRUE(other);  // kept for the receiver to refuse
    EXPECT_EQ(other->StreamDataLength(), 0u);
}

TEST_F(PieceTest, IndexRequestsAndPieces) {
    CPieceIndex index;
    auto* requester = reinterpret_cast<CPeerTransfer*>(0x1000);
    EXPECT_FALSE(index.AddRequest(0, requester));
    EXPECT_TRUE(index.AddRequest(10, requester));
    EXPECT_FALSE(index.AddRequest(10, nullptr));
    EXPECT_TRUE(index.Insert(Data(10, 0, 1)));
    EXPECT_EQ(index.Find(10)->requester, requester);  // the request entry keeps its requester
    EXPECT_FALSE(index.AddRequest(10, nullptr));
    EXPECT_FALSE(index.RemoveRequest(10));  // it holds a piece now

    EXPECT_FALSE(index.Insert(Data(10, 99, 1)));  // the stored piece stays
    EXPECT_EQ(index.FindPiece(10)->TimeStamp(), 0u);

    index.AddRequest(20, requester);
    EXPECT_TRUE(index.RemoveRequest(20));
    EXPECT_TRUE(index.HasNoEntry(20));

    index.AddRequest(5, requester);
    index.Insert(Data(30, 0, 1));
    index.Insert(Data(0xFFFFFFF0u, 0, 1));
    EXPECT_EQ(index.FirstDataPiece(), 10u);
    EXPECT_EQ(index.LastDataPiece(), 0xFFFFFFF0u);
    EXPECT_EQ(index.NextDataPiece(10), 30u);
    EXPECT_EQ(index.NextDataPiece(0xFFFFFFF0u), 0u);
    EXPECT_EQ(index.NextHeldPiece(0), 10u);

    EXPECT_FALSE(index.Erase(5));
    EXPECT_TRUE(index.Erase(30));
    EXPECT_FALSE(index.Erase(30));
    index.Clear();
    EXPECT_TRUE(index.Empty());
    EXPECT_EQ(index.FirstDataPiece(), 0u);
}

}  // namespace

// NetCreateBoundSocket results: an id, -2 for a port in use (or forced by KUZ_FAIL_BIND),
// -3 for the retryable failures, -1 for bad arguments.
#include "net_fixture.h"
#include "net_settings.h"

TEST_F(NetTest, SecondBindOfAPortGivesPortInUse) {
    for (int kind : {int{kNetKindTcp}, int{kNetKindStream}, int{kNetKindUdp}}) {
        SCOPED_TRACE(kind);
        int first = Listen(kind);
        uint16_t port = LocalPort(first);
        ASSERT_NE(port, 0);
        EXPECT_EQ(NetCreateBoundSocket(kind, port), -2);
        // Closing frees the port at once for a listener without connections.
        ASSERT_EQ(NetClose(first), 1);
        ASSERT_EQ(NetDestroySocket(first), 1);
        EXPECT_GT(Track(NetCreateBoundSocket(kind, port)), 0);
    }
}

TEST_F(NetTest, ListedPortsFailWithoutBinding) {
    EnvForTest("KUZ_FAIL_BIND", "41234,41235:-3");
    EXPECT_EQ(NetCreateBoundSocket(kNetKindTcp, 41234), -2);
    EXPECT_EQ(NetCreateBoundSocket(kNetKindUdp, 41235), -3);
    EXPECT_GT(Track(NetCreateBoundSocket(kNetKindTcp, 0)), 0);
}

TEST_F(NetTest, BadArgumentsGiveMinusOne) {
    struct Case {
        int kind;
        int port;
    };
    for (Case c : {Case{3, 0}, Case{0, 0}, Case{kNetKindTcp, -1}, Case{kNetKindTcp, 65536}, Case{kNetKindUdp, 1 << 20}})
        EXPECT_EQ(NetCreateBoundSocket(c.kind, c.port), -1) << c.kind << " " << c.port;
    for (int kind : {int{kNetKindStream}, int{kNetKindUdp}, 0}) EXPECT_EQ(NetCreateSocket(kind), -1) << kind;
}

TEST(FailBindList, ParsesPortsAndCodes) {
    struct Case {
        const char* list;
        int port;
        int result;
    };
    const Case cases[] = {
        {"7700", 7700, -2},         {"7700,7701:-3", 7701, -3}, {"7700,7701:-3", 7700, -2},
        {"7700,7701:-3", 7702, 0},  {"77000", 7700, 0},         {"x,7703", 7703, -2},
        {"7704:-1", 7704, -1},      {"", 7700, 0},              {nullptr, 7700, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kuz::ForcedBindResultFrom(c.list, c.port), c.result) << (c.list ? c.list : "null") << " " << c.port;
}

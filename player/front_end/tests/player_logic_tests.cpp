// The player's decisions that need no window: update texts, descriptions, settings values and
// the channel lookups.
#include <gtest/gtest.h>

#include "channel_queries.h"
#include "connection_values.h"
#include "download_reply.h"
#include "text_order.h"
#include "update_description.h"

namespace zentavo {
namespace {

TEST(TextOrder, ComparesBytesUnsignedWithPrefixesSmaller) {
    struct Case {
        const char* candidate;
        const char* current;
        bool newer;
    };
    const Case cases[] = {
        {"2008-1-10", "2008-1-9", false},  // '1' < '9': the longer date is older
        {"2008-1-9", "2008-1-10", true},
        {"2008-1-9", "2008-1-9", false},   // equal is not newer
        {"2008-1-9 ", "2008-1-9", true},   // a proper prefix is smaller
        {"2008-1", "2008-1-9", false},
        {"1", "", true},                   // a missing local text is older than anything
        {"", "", false},
        {"", "1", false},
        {"\xC9\xFD", "z", true},           // GBK lead bytes are above ASCII, not negative
        {"a", "\xC9\xFD", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNewerText(c.candidate, c.current), c.newer) << c.candidate << " vs " << c.current;
}

TEST(UpdateDescription, NeedsAtLeastOneOfItsSections) {
    EXPECT_FALSE(IsUpdateDescription({}));  // an error page read as an ini
    EXPECT_TRUE(IsUpdateDescription({true, false, false}));
    EXPECT_TRUE(IsUpdateDescription({false, true, false}));
    EXPECT_TRUE(IsUpdateDescription({false, false, true}));
}

TEST(UpdateDescription, ServerListIsUsableOnlyWhenEveryEntryIsAnAddress) {
    EXPECT_EQ(JudgeServerList({}), ServerListVerdict::Empty);
    EXPECT_EQ(JudgeServerList({{L"1", L"http://127.0.0.1:1/up.ini"}, {L"2", L"HTTPS://h/u"}}), ServerListVerdict::Usable);
    EXPECT_EQ(JudgeServerList({{L"1", L"http://127.0.0.1:1/up.ini"}, {L"2", L"htt"}}), ServerListVerdict::Damaged);
    EXPECT_EQ(JudgeServerList({{L"1", L""}, {L"2", L"http://h/"}}), ServerListVerdict::Damaged);
}

TEST(UpdateDescription, WellFormedAddresses) {
    struct Case {
        const wchar_t* address;
        bool wellFormed;
    };
    const Case cases[] = {
        {L"http://127.0.0.1:8899/up.ini", true},
        {L"http://h", true},
        {L"HTTP://h/", true},
        {L"https://h:443/a?b#c", true},
        {L"http://[::1]:80/up.ini", true},
        {L"http://[::1]/up.ini", true},
        {L"http://h:65535/", true},
        {L"http://更新.例子/up.ini", true},
        {L"", false},
        {L"htt", false},            // cut in transit
        {L"http://", false},
        {L"http:///up.ini", false}, // no host
        {L"http://:80/", false},
        {L"ftp://h/up.ini", false},
        {L"h/up.ini", false},
        {L"http://h:/", false},
        {L"http://h:0/", false},
        {L"http://h:65536/", false},
        {L"http://h:8x/", false},
        {L"http://h/a b", false},
        {L"http://h/\t", false},
        {L"http://h/a\x7f", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsWellFormedAddress(c.address), c.wellFormed) << c.address;
}

TEST(DownloadReply, OnlyACompleteReplyWithinTheLimitCounts) {
    struct Case {
        unsigned status;
        bool lengthKnown;
        std::uint64_t length, received;
        bool mayBeRead, complete;
    };
    const Case cases[] = {
        {200, true, 19, 19, true, true},
        {200, true, 19, 10, true, false},  // cut short
        {200, false, 0, 10, true, true},   // no length announced: the end of the body ends it
        {404, true, 0, 0, false, false},   // an error page is no file
        {200, true, kLargestDownload, kLargestDownload, true, true},
        {200, true, kLargestDownload + 1, 0, false, false},  // abandoned before a byte is read
        {200, false, 0, kLargestDownload + 1, true, false},  // abandoned once that much arrived
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        ReplyHead head{c.status, c.lengthKnown, c.length};
        EXPECT_EQ(ReplyMayBeRead(head), c.mayBeRead);
        EXPECT_EQ(ReplyIsComplete(head, c.received), c.complete);
    }
    EXPECT_TRUE(ReplyWithinLimit(kLargestDownload));
    EXPECT_FALSE(ReplyWithinLimit(kLargestDownload + 1));
}

TEST(UpdateDescription, ServersAreTriedInOrderUntilTheLast) {
    EXPECT_EQ(NextServerIndex(0, 3), 1);
    EXPECT_EQ(NextServerIndex(1, 3), 2);
    EXPECT_EQ(NextServerIndex(2, 3), -1);
    EXPECT_EQ(NextServerIndex(0, 1), -1);
    EXPECT_EQ(NextServerIndex(0, 0), -1);  // an empty list starts no further attempt
}

TEST(ConnectionValues, PortsAndLimitsKeepTheirBounds) {
    struct Case {
        const wchar_t* text;
        int port;
        int limit;
    };
    const Case cases[] = {
        {L"", 50, 1},            // missing key
        {L"abc", 50, 1},         // not a number counts as 0
        {L"20", 50, 20},
        {L"0", 50, 1},
        {L"-7", 50, 1},
        {L"50", 50, 50},
        {L"6171", 6171, 6171},
        {L"65535", 65535, 65535},
        {L"65536", 65535, 65536},  // no port above 65535 is stored; limits stay unbounded
        {L"99999999", 65535, 99999999},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortValue(c.text), c.port) << c.text;
        EXPECT_EQ(LimitValue(c.text), c.limit) << c.text;
    }
}

TEST(ConnectionValues, NetworkTypeAndSwitchTexts) {
    for (int type = 1; type <= 6; ++type) EXPECT_EQ(NetworkTypeOf(std::to_wstring(type)), type);
    for (const wchar_t* none : {L"", L"0", L"7", L"33", L" 3"}) EXPECT_EQ(NetworkTypeOf(none), 0) << none;
    EXPECT_EQ(SwitchText(true), L"1");
    EXPECT_EQ(SwitchText(false), L"2");
    EXPECT_TRUE(SwitchIsOn(L"1"));
    for (const wchar_t* off : {L"", L"2", L"0", L"01"}) EXPECT_FALSE(SwitchIsOn(off)) << off;
}

TEST(ChannelQueries, NamesAreQuotedSoTheySelectOnlyThemselves) {
    EXPECT_EQ(ChannelPlayLinkPath(L"中央一台"), L"root/channel[ChannelName=\"中央一台\"]//PlayLink");
    // A double quote cannot end the literal early and reach another channel.
    EXPECT_EQ(ChannelPlayLinkPath(L"A\"] | //PlayLink[\""),
              L"root/channel[ChannelName='A\"] | //PlayLink[\"']//PlayLink");
    EXPECT_EQ(ChannelPlayLinkPath(L"a'b\"c"), L"root/channel[ChannelName=concat(\"a'b\", '\"', \"c\")]//PlayLink");
    EXPECT_EQ(FavouritePath(L"体育"), L"//pd[@id=\"体育\"]");
    EXPECT_EQ(FavouritePath(L"x\"y"), L"//pd[@id='x\"y']");
}

}  // namespace
}  // namespace zentavo

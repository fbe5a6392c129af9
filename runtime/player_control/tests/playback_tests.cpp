// Playback rules and channel names of the stand-in player control.
#include <gtest/gtest.h>

#include <functional>

#include "channel_name.h"
#include "fetch_target.h"
#include "playback.h"

namespace ziv {
namespace {
PlaybackEvent StateChange(int state) { return {EventKind::StateChange, state}; }
const PlaybackEvent kClose{EventKind::ClosePlayer, 0};

TEST(Playback, UrlConnectsThenPlaysAfterTheDelay) {
    Playback p;
    EXPECT_EQ(p.PutUrl(L"http://127.0.0.1:8888/live?name=news"), Events{StateChange(3)});
    EXPECT_TRUE(p.ConnectPending());
    EXPECT_EQ(p.State(), 3);
    EXPECT_EQ(p.ConnectElapsed(), Events{StateChange(2)});
    EXPECT_FALSE(p.ConnectPending());
    EXPECT_EQ(p.ChannelName(), L"news");
    EXPECT_TRUE(p.ConnectElapsed().empty());  // a late timer does nothing
}

TEST(Playback, CommandsFollowTheStateTable) {
    struct Step { std::function<Events(Playback&)> command; Events expected; int state; };
    struct Case { const char* name; std::vector<Step> steps; };
    auto url = [](const wchar_t* u) { return [u](Playback& p) { return p.PutUrl(u); }; };
    auto play = [](Playback& p) { return p.Play(); };
    auto pause = [](Playback& p) { return p.Pause(); };
    auto stop = [](Playback& p) { return p.Stop(); };
    auto elapse = [](Playback& p) { return p.ConnectElapsed(); };
    const Case cases[] = {
        {"stop before anything played still closes", {{stop, {kClose}, 0}}},
        {"play and pause without a URL do nothing", {{play, {}, 0}, {pause, {}, 0}}},
        {"pause, resume, stop",
         {{url(L"http://h/c"), {StateChange(3)}, 3}, {elapse, {StateChange(2)}, 2}, {pause, {StateChange(1)}, 1},
          {pause, {}, 1}, {play, {StateChange(2)}, 2}, {stop, {StateChange(0), kClose}, 0}}},
        {"play after stop reconnects",
         {{url(L"http://h/c"), {StateChange(3)}, 3}, {stop, {StateChange(0), kClose}, 0},
          {elapse, {}, 0}, {play, {StateChange(3)}, 3}, {elapse, {StateChange(2)}, 2}}},
        {"a stalling URL stays connecting", {{url(L"http://h/stall"), {StateChange(3)}, 3}, {elapse, {}, 3}}},
        {"an empty URL stops", {{url(L"http://h/c"), {StateChange(3)}, 3}, {url(L""), {StateChange(0), kClose}, 0}}},
        {"a new URL while connecting raises nothing new",
         {{url(L"http://h/a"), {StateChange(3)}, 3}, {url(L"http://h/b"), {}, 3}, {elapse, {StateChange(2)}, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Playback p;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "step " << i);
            EXPECT_EQ(c.steps[i].command(p), c.steps[i].expected);
            EXPECT_EQ(p.State(), c.steps[i].state);
        }
    }
}

TEST(Playback, FetchedAddressPlaysWhenItsStreamStartsAndWaitsWhenItEnds) {
    Playback p;
    p.SetFetchMode(true);
    EXPECT_FALSE(p.WantsStream());
    EXPECT_EQ(p.PutUrl(L"http://127.0.0.1:8889/?name=demo"), Events{StateChange(3)});
    EXPECT_FALSE(p.ConnectPending());  // no delay: the stream decides
    EXPECT_TRUE(p.WantsStream());
    EXPECT_EQ(p.StreamStarted(), Events{StateChange(2)});
    EXPECT_EQ(p.StreamEnded(), Events{StateChange(3)});  // the control connects again
    EXPECT_EQ(p.StreamStarted(), Events{StateChange(2)});
    EXPECT_EQ(p.Pause(), Events{StateChange(1)});
    EXPECT_TRUE(p.StreamEnded().empty());  // a paused player stays paused
    EXPECT_EQ(p.Stop(), (Events{StateChange(0), kClose}));
    EXPECT_FALSE(p.WantsStream());
    EXPECT_TRUE(p.StreamStarted().empty());  // a late note of the stopped fetch
    // A media file is not fetched: it keeps the delay.
    EXPECT_EQ(p.OpenMediaFile(L"C:\\clip.wmv"), Events{StateChange(3)});
    EXPECT_FALSE(p.WantsStream());
    EXPECT_TRUE(p.ConnectPending());
}

TEST(FetchTarget, OnlyLoopbackHttpAddressesAreFetched) {
    struct Case {
        const wchar_t* url;
        bool allowed;
        const char* request;
    };
    const Case cases[] = {
        {L"http://127.0.0.1:8889/", true, "GET / HTTP/1.1\r\nHost: 127.0.0.1:8889\r\n\r\n"},
        {L"http://127.0.0.1:8889", true, "GET / HTTP/1.1\r\nHost: 127.0.0.1:8889\r\n\r\n"},
        {L"http://127.1.2.3/live?name=\x672c\x673a#top", true,
         "GET /live?name=%E6%9C%AC%E6%9C%BA HTTP/1.1\r\nHost: 127.1.2.3:80\r\n\r\n"},
        {L"http://127.0.0.1:8889?name=a b", true, "GET /?name=a%20b HTTP/1.1\r\nHost: 127.0.0.1:8889\r\n\r\n"},
        {L"http://192.0.2.2:8889/", false, ""},   // not this machine
        {L"http://localhost:8889/", false, ""},   // by number only
        {L"http://127.0.0.256/", false, ""},
        {L"http://127.0.0.1:0/", false, ""},
        {L"http://127.0.0.1:70000/", false, ""},
        {L"https://127.0.0.1/", false, ""},
        {L"mms://127.0.0.1/", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (&c - cases));
        FetchTarget target = ParseFetchUrl(c.url);
        EXPECT_EQ(target.allowed, c.allowed);
        if (c.allowed) {
            EXPECT_EQ(FetchRequest(target), c.request);
        }
    }
}

TEST(Playback, MediaFileNamesTheChannelByItsFileName) {
    Playback p;
    EXPECT_EQ(p.OpenMediaFile(L"C:\\videos\\clip one.wmv"), Events{StateChange(3)});
    EXPECT_EQ(p.ChannelName(), L"clip one.wmv");
    EXPECT_EQ(p.Url(), L"C:\\videos\\clip one.wmv");
}

TEST(ChannelName, FromUrlParts) {
    struct Case { const wchar_t* url; const wchar_t* name; };
    const Case cases[] = {
        {L"http://127.0.0.1:8888/x?name=CCTV-1", L"CCTV-1"},
        {L"http://h/p?a=1&name=%E6%96%B0%E9%97%BB&b=2", L"\x65b0\x95fb"},  // UTF-8 escapes
        {L"http://h/p?name=a+b", L"a b"},
        {L"http://h/live/channel7", L"channel7"},
        {L"http://h/live/channel7/", L"channel7"},
        {L"http://127.0.0.1:8888", L"127.0.0.1:8888"},
        {L"http://127.0.0.1:8888/", L"127.0.0.1:8888"},
        {L"http://h/p?name=", L"p"},          // an empty name falls back to the path
        {L"http://h/p?name=%zz", L"%zz"},     // a malformed escape stays
        {L"mms://user@host:1755", L"host:1755"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (&c - cases));
        EXPECT_EQ(ChannelNameFromUrl(c.url), c.name);
    }
    EXPECT_EQ(ChannelNameFromFile(L"D:/a/b.mp3"), L"b.mp3");
    EXPECT_EQ(ChannelNameFromFile(L"plain.avi"), L"plain.avi");
}

}  // namespace
}  // namespace ziv

// One update attempt over an in-memory settings file, description and downloads: what is
// downloaded, written and installed, and in which order.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "text_convert.h"
#include "update_attempt.h"

namespace zentavo {
namespace {
using namespace update_keys;

// An ini file in memory: sections of (key, value) in file order.
struct Ini {
    std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>> sections;

    std::vector<std::wstring> Keys(const std::wstring& section) const {
        std::vector<std::wstring> keys;
        auto found = sections.find(section);
        if (found != sections.end())
            for (const auto& entry : found->second) keys.push_back(entry.first);
        return keys;
    }
    std::wstring Value(const std::wstring& section, const std::wstring& key) const {
        auto found = sections.find(section);
        if (found != sections.end())
            for (const auto& entry : found->second)
                if (entry.first == key) return entry.second;
        return L"";
    }
    void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        auto& entries = sections[section];
        for (auto& entry : entries)
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        entries.emplace_back(key, value);
    }
};

struct FakeEnvironment : UpdateEnvironment {
    Ini settings;
    std::map<std::wstring, Ini> descriptions;  // by URL; a URL not listed cannot be fetched
    std::map<std::wstring, bool> databases;    // by URL: true = a valid database, false = an error page
    bool replaceWorks = true;
    std::vector<std::wstring> events;

    Ini* description = nullptr;
    bool downloadedValid = false;

    std::vector<std::wstring> SettingsKeys(const std::wstring& s) override { return settings.Keys(s); }
    std::wstring SettingsValue(const std::wstring& s, const std::wstring& k) override { return settings.Value(s, k); }
    void WriteSetting(const std::wstring& s, const std::wstring& k, const std::wstring& v) override {
        events.push_back(L"write " + s + L"/" + k + L"=" + v);
        settings.Write(s, k, v);
    }
    void ReplaceServerList(const ServerList& servers, const std::wstring& date) override {
        std::wstring event = L"replace servers";
        for (const auto& entry : servers) event += L" " + entry.first + L"=" + entry.second;
        events.push_back(event + L" dated " + date);
        settings.sections[kServers] = servers;
        settings.Write(kServerDate, kDate, date);
    }
    bool DownloadDescription(const std::wstring& url) override {
        events.push_back(L"get " + url);
        auto found = descriptions.find(url);
        if (found == descriptions.end()) return false;
        description = &found->second;
        return true;
    }
    bool DescriptionHasSection(const std::wstring& s) override { return description->sections.count(s) != 0; }
    std::vector<std::wstring> DescriptionKeys(const std::wstring& s) override { return description->Keys(s); }
    std::wstring DescriptionValue(const std::wstring& s, const std::wstring& k) override { return description->Value(s, k); }
    bool DownloadDatabase(const std::wstring& url) override {
        events.push_back(L"get database " + url);
        auto found = databases.find(url);
        downloadedValid = found != databases.end() && found->second;
        return found != databases.end();
    }
    bool DownloadedDatabaseIsValid() override { return downloadedValid; }
    bool ReplaceDatabase() override {
        events.push_back(replaceWorks ? L"replace" : L"replace failed");
        return replaceWorks;
    }
    void DiscardDownloadedDatabase() override { events.push_back(L"discard"); }
    void DatabaseReplaced() override { events.push_back(L"reload"); }
    std::string ComparableBytes(const std::wstring& text) override { return tk::WideToUtf8(text); }
};

using Events = std::vector<std::wstring>;

class UpdateAttemptTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.settings.Write(kServers, L"1", L"http://a/up.ini");
        env.settings.Write(kServers, L"2", L"http://b/up.ini");
        env.settings.Write(kServerDate, kDate, L"2008-1-9");
        env.settings.Write(kUpgradeInfo, kDatabaseVersion, L"2008-1-9");
    }
    // A description on server b with the given version, date and server list.
    Ini& Describe(const std::wstring& version, const std::wstring& date,
                  std::vector<std::pair<std::wstring, std::wstring>> servers) {
        Ini& up = env.descriptions[L"http://b/up.ini"];
        up.Write(kUpgradeInfo, kDatabaseVersion, version);
        up.Write(kServerDate, kDate, date);
        up.sections[kServers] = std::move(servers);
        up.Write(kUpgradeContent, kData, L"http://b/bfsjk.xml");
        return up;
    }
    bool Run(int index) { return RunUpdateAttempt(env, index, count); }

    FakeEnvironment env;
    std::size_t count = 99;
};

TEST_F(UpdateAttemptTest, NoServerToTryDownloadsNothing) {
    env.settings.sections.erase(kServers);
    EXPECT_FALSE(Run(0));
    EXPECT_EQ(count, 0u);
    env.settings.Write(kServers, L"1", L"http://a/up.ini");
    EXPECT_FALSE(Run(1));  // past the end of the list
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(env.events.empty());
}

TEST_F(UpdateAttemptTest, UnreachableServerAndErrorPageFail) {
    EXPECT_FALSE(Run(0));  // server a cannot be fetched
    EXPECT_EQ(count, 2u);
    env.descriptions[L"http://b/up.ini"];  // fetched, but without a single section: an error page
    EXPECT_FALSE(Run(1));
    EXPECT_EQ(env.events, (Events{L"get http://a/up.ini", L"get http://b/up.ini"}));
}

TEST_F(UpdateAttemptTest, NewerServerListReplacesTheLocalOneInOrder) {
    Describe(L"2008-1-9", L"2008-1-9 ",
             {{L"z", L"http://z/up.ini"}, {L"y", L"https://y:8080/u"}, {L"x", L"http://x/up.ini"}});
    EXPECT_TRUE(Run(1));
    EXPECT_EQ(env.events, (Events{L"get http://b/up.ini",
                                  L"replace servers z=http://z/up.ini y=https://y:8080/u x=http://x/up.ini dated 2008-1-9 "}));
    EXPECT_EQ(env.settings.Keys(kServers), (std::vector<std::wstring>{L"z", L"y", L"x"}));
}

TEST_F(UpdateAttemptTest, ServerListIsKeptForOlderEqualOrEmptyLists) {
    const std::pair<const wchar_t*, ServerList> cases[] = {
        {L"2008-1-10", {{L"z", L"http://z/up.ini"}}},  // older byte for byte
        {L"2008-1-9", {{L"z", L"http://z/up.ini"}}},   // equal
        {L"2009-1-1", {}},                             // newer but empty
        {L"2008-1-9", {{L"z", L"htt"}}},               // damaged, but not newer: never looked at
    };
    for (const auto& c : cases) {
        env.events.clear();
        Describe(L"2008-1-9", c.first, c.second);
        EXPECT_TRUE(Run(1)) << c.first;  // still a description: no further server is tried
        EXPECT_EQ(env.events, (Events{L"get http://b/up.ini"})) << c.first;
        EXPECT_EQ(env.settings.Value(kServerDate, kDate), L"2008-1-9");
        EXPECT_EQ(env.settings.Keys(kServers).size(), 2u);
    }
}

TEST_F(UpdateAttemptTest, DamagedNewerServerListChangesNothingAndFails) {
    // A reply cut inside the list: one good entry and the start of the next.
    Describe(L"2008-2-1", L"2009-1-1", {{L"a", L"http://a/up.ini"}, {L"b", L"htt"}});
    env.databases[L"http://b/bfsjk.xml"] = true;
    EXPECT_FALSE(Run(1));  // so the next server is asked
    EXPECT_EQ(env.events, (Events{L"get http://b/up.ini"}));
    EXPECT_EQ(env.settings.Value(kServerDate, kDate), L"2008-1-9");
    EXPECT_EQ(env.settings.Value(kUpgradeInfo, kDatabaseVersion), L"2008-1-9");
    EXPECT_EQ(env.settings.Value(kServers, L"2"), L"http://b/up.ini");
}

TEST_F(UpdateAttemptTest, NewerDatabaseIsInstalledBeforeItsVersionIsRecorded) {
    Describe(L"2008-2-1", L"2008-1-9", {});
    env.databases[L"http://b/bfsjk.xml"] = true;
    EXPECT_TRUE(Run(1));
    EXPECT_EQ(env.events, (Events{L"get http://b/up.ini", L"get database http://b/bfsjk.xml", L"replace",
                                  L"write 升级信息/数据库版本=2008-2-1", L"reload"}));
}

TEST_F(UpdateAttemptTest, BadDatabaseDownloadChangesNothing) {
    struct Case {
        const char* what;
        bool listed, valid, replaces;
        Events tail;
    };
    const Case cases[] = {
        {"unreachable", false, false, true, {L"discard"}},
        {"error page or truncated", true, false, true, {L"discard"}},
        {"replace failed", true, true, false, {L"replace failed", L"discard"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.events.clear();
        env.databases.clear();
        if (c.listed) env.databases[L"http://b/bfsjk.xml"] = c.valid;
        env.replaceWorks = c.replaces;
        Describe(L"2008-2-1", L"2008-1-9", {});
        EXPECT_TRUE(Run(1));
        Events expected{L"get http://b/up.ini", L"get database http://b/bfsjk.xml"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(env.events, expected);
        EXPECT_EQ(env.settings.Value(kUpgradeInfo, kDatabaseVersion), L"2008-1-9");
    }
}

TEST_F(UpdateAttemptTest, EqualOrOlderVersionDownloadsNoDatabase) {
    for (const wchar_t* version : {L"2008-1-9", L"2008-1-10", L""}) {
        env.events.clear();
        Describe(version, L"2008-1-9", {});
        EXPECT_TRUE(Run(1));
        EXPECT_EQ(env.events, (Events{L"get http://b/up.ini"})) << version;
    }
}

}  // namespace
}  // namespace zentavo

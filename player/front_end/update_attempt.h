// One update attempt against one server, over an environment that owns the files and the
// window: read the server list, fetch the description, take over a newer server list, fetch
// and install a newer channel database. The environment may raise; the caller counts that as a
// failed attempt, like a false result.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "update_description.h"

namespace zentavo {

class UpdateEnvironment {
public:
    virtual ~UpdateEnvironment() = default;

    // The settings file "zhuce.ini"; missing keys read as "".
    virtual std::vector<std::wstring> SettingsKeys(const std::wstring& section) = 0;
    virtual std::wstring SettingsValue(const std::wstring& section, const std::wstring& key) = 0;
    virtual void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    // The section "服务器" becomes `servers`, in their order, and the list's date `date`: all of it
    // or, when the player closes first, none.
    virtual void ReplaceServerList(const ServerList& servers, const std::wstring& date) = 0;

    // The downloaded description "up.ini".
    virtual bool DownloadDescription(const std::wstring& url) = 0;
    virtual bool DescriptionHasSection(const std::wstring& section) = 0;
    virtual std::vector<std::wstring> DescriptionKeys(const std::wstring& section) = 0;
    virtual std::wstring DescriptionValue(const std::wstring& section, const std::wstring& key) = 0;

    // The new channel database "linshi.xml" and its installation as "bfsjk.xml".
    virtual bool DownloadDatabase(const std::wstring& url) = 0;  // any earlier download is gone first
    virtual bool DownloadedDatabaseIsValid() = 0;                 // parses, document element "root"
    virtual bool ReplaceDatabase() = 0;                           // one atomic step
    virtual void DiscardDownloadedDatabase() = 0;
    virtual void DatabaseReplaced() = 0;  // the window shows the reload and schedules it

    // The bytes a version or date text is compared by (GBK on the player).
    virtual std::string ComparableBytes(const std::wstring& text) = 0;
};

// True when the server delivered a usable description (whether or not anything was newer); a
// description with a damaged server list changes nothing and counts as a failed attempt, so the
// next server is asked. serverCount is set to the number of servers in the settings file as soon
// as it is known.
bool RunUpdateAttempt(UpdateEnvironment& environment, int serverIndex, std::size_t& serverCount);

namespace update_keys {
inline constexpr wchar_t kServers[] = L"服务器";
inline constexpr wchar_t kServerDate[] = L"更新服务器日期";
inline constexpr wchar_t kDate[] = L"日期";
inline constexpr wchar_t kUpgradeInfo[] = L"升级信息";
inline constexpr wchar_t kDatabaseVersion[] = L"数据库版本";
inline constexpr wchar_t kUpgradeContent[] = L"升级内容";
inline constexpr wchar_t kData[] = L"数据";
}  // namespace update_keys

}  // namespace zentavo

// Decisions about a downloaded update description ("up.ini") that need no file access.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zentavo {

using ServerList = std::vector<std::pair<std::wstring, std::wstring>>;  // key, address; file order

// Which of the description's sections are present.
struct DescriptionSections {
    bool upgradeInfo = false;  // "升级信息"
    bool serverDate = false;   // "更新服务器日期"
    bool servers = false;      // "服务器"
};

// A server that answers a missing file with an error page still "delivers" a file; such a file
// has none of the sections and counts as a failed attempt, so the next server is tried.
bool IsUpdateDescription(const DescriptionSections& sections);

// A newer server list replaces the local one only when it has entries and every one of them
// names a well-formed address. An empty or missing list leaves the local one alone (updating
// would otherwise end for good); a damaged one ("b=htt" of a reply cut in transit) makes the
// whole description unusable.
enum class ServerListVerdict { Empty, Damaged, Usable };
ServerListVerdict JudgeServerList(const ServerList& remote);

// An absolute http or https address with a host and, when it names one, a port from 1 to 65535;
// no spaces or control characters anywhere.
bool IsWellFormedAddress(const std::wstring& address);

// After a failed attempt with server `index` of `count`: the next index to try, or -1 when
// every server has been tried.
int NextServerIndex(int index, std::size_t count);

}  // namespace zentavo

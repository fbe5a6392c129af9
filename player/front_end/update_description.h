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

// A newer server list replaces the local one only when it names at least one address: an empty
// or missing list would otherwise end updating for good.
bool CanReplaceServerList(const ServerList& remote);

// After a failed attempt with server `index` of `count`: the next index to try, or -1 when
// every server has been tried.
int NextServerIndex(int index, std::size_t count);

}  // namespace zentavo

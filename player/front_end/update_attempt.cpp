#include "update_attempt.h"

#include "text_order.h"
#include "update_description.h"

namespace zentavo {
namespace {
using namespace update_keys;

bool IsNewer(UpdateEnvironment& environment, const std::wstring& candidate, const std::wstring& current) {
    return IsNewerText(environment.ComparableBytes(candidate), environment.ComparableBytes(current));
}

ServerList RemoteServerList(UpdateEnvironment& environment) {
    ServerList remote;
    for (const std::wstring& key : environment.DescriptionKeys(kServers))
        remote.emplace_back(key, environment.DescriptionValue(kServers, key));
    return remote;
}

// Installed only when the new file arrived and is a channel database; its version is recorded
// only once it is in place, so a failure now is repaired by a later start.
void InstallNewerDatabase(UpdateEnvironment& environment) {
    const std::wstring remoteVersion = environment.DescriptionValue(kUpgradeInfo, kDatabaseVersion);
    if (!IsNewer(environment, remoteVersion, environment.SettingsValue(kUpgradeInfo, kDatabaseVersion))) return;
    bool arrived = environment.DownloadDatabase(environment.DescriptionValue(kUpgradeContent, kData));
    if (!arrived || !environment.DownloadedDatabaseIsValid() || !environment.ReplaceDatabase()) {
        environment.DiscardDownloadedDatabase();
        return;
    }
    environment.WriteSetting(kUpgradeInfo, kDatabaseVersion, remoteVersion);
    environment.DatabaseReplaced();
}
}  // namespace

bool RunUpdateAttempt(UpdateEnvironment& environment, int serverIndex, std::size_t& serverCount) {
    std::vector<std::wstring> servers = environment.SettingsKeys(kServers);
    serverCount = servers.size();
    if (serverIndex < 0 || static_cast<std::size_t>(serverIndex) >= serverCount) return false;
    const std::wstring url = environment.SettingsValue(kServers, servers[static_cast<std::size_t>(serverIndex)]);
    if (!environment.DownloadDescription(url)) return false;

    DescriptionSections sections;
    sections.upgradeInfo = environment.DescriptionHasSection(kUpgradeInfo);
    sections.serverDate = environment.DescriptionHasSection(kServerDate);
    sections.servers = environment.DescriptionHasSection(kServers);
    if (!IsUpdateDescription(sections)) return false;  // an error page, not a description

    // The whole description is judged before anything changes.
    const std::wstring remoteDate = environment.DescriptionValue(kServerDate, kDate);
    if (IsNewer(environment, remoteDate, environment.SettingsValue(kServerDate, kDate))) {
        const ServerList remote = RemoteServerList(environment);
        const ServerListVerdict verdict = JudgeServerList(remote);
        if (verdict == ServerListVerdict::Damaged) return false;
        if (verdict == ServerListVerdict::Usable) environment.ReplaceServerList(remote, remoteDate);
    }
    InstallNewerDatabase(environment);
    return true;
}

}  // namespace zentavo

#include "update_description.h"

namespace zentavo {

bool IsUpdateDescription(const DescriptionSections& sections) {
    return sections.upgradeInfo || sections.serverDate || sections.servers;
}

bool CanReplaceServerList(const ServerList& remote) {
    for (const auto& entry : remote)
        if (!entry.second.empty()) return true;
    return false;
}

int NextServerIndex(int index, std::size_t count) {
    if (index < 0) return -1;
    std::size_t next = static_cast<std::size_t>(index) + 1;
    return next < count ? static_cast<int>(next) : -1;
}

}  // namespace zentavo

// The selection expressions for a channel's stream address and a favourite. Names are quoted as
// XPath literals, so a name holding quote characters selects exactly its own entry and never
// another one.
#pragma once

#include <string>
#include <vector>

namespace zentavo {

std::wstring ChannelPlayLinkPath(const std::wstring& channelName);  // root/channel[ChannelName=…]//PlayLink
std::wstring FavouritePath(const std::wstring& channelName);        // //pd[@id=…]

struct ChannelEntry {
    std::wstring group;  // Catalog
    std::wstring name;   // ChannelName
};

}  // namespace zentavo

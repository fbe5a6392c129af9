#include "channel_queries.h"

#include "xml_text.h"

namespace zentavo {

std::wstring ChannelPlayLinkPath(const std::wstring& channelName) {
    return L"root/channel[ChannelName=" + tk::XPathLiteral(channelName) + L"]//PlayLink";
}

std::wstring FavouritePath(const std::wstring& channelName) {
    return L"//pd[@id=" + tk::XPathLiteral(channelName) + L"]";
}

}  // namespace zentavo

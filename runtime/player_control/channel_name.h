// The channel name the control reports for what it plays: for a URL the "name=" query value,
// else its last path segment, else "host:port"; for a local file its file name.
#pragma once

#include <string>

namespace ziv {

std::wstring ChannelNameFromUrl(const std::wstring& url);
std::wstring ChannelNameFromFile(const std::wstring& path);

}  // namespace ziv

// The update thread's downloads: from the server straight into a file through the platform's
// HTTP client (WinHTTP, which keeps no download cache and, unlike the URL moniker download, can
// be stopped: closing a request ends its reply at once). Only a complete 200 reply of at most
// kLargestDownload bytes counts (download_reply.h); any other outcome, the player closing among
// them, leaves no file behind.
#pragma once

#include <string>

namespace zentavo {

bool DownloadToFile(const std::wstring& url, const std::wstring& file);

}  // namespace zentavo

#include "url_download.h"

#include <windows.h>
#include <winhttp.h>

#include <cwchar>
#include <vector>

#include "close_gate.h"
#include "download_reply.h"

namespace zentavo {
namespace {
class HttpHandle {
public:
    explicit HttpHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~HttpHandle() { reset(nullptr); }
    HttpHandle(const HttpHandle&) = delete;
    HttpHandle& operator=(const HttpHandle&) = delete;
    HINTERNET get() const { return handle_; }
    void reset(HINTERNET handle) {
        if (handle_ != nullptr) WinHttpCloseHandle(handle_);  // also ends a reply not read to its end
        handle_ = handle;
    }

private:
    HINTERNET handle_;
};

// The connection and the request of one download.
struct HttpExchange {
    HttpHandle connection;
    HttpHandle request;
};

ReplyHead ReadHead(HINTERNET request) {
    ReplyHead head;
    DWORD status = 0, size = sizeof status;
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                            &status, &size, WINHTTP_NO_HEADER_INDEX))
        head.status = status;
    wchar_t length[32] = {};
    size = sizeof length;
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, length, &size,
                            WINHTTP_NO_HEADER_INDEX)) {
        wchar_t* end = nullptr;
        unsigned long long value = std::wcstoull(length, &end, 10);
        head.lengthKnown = end != length && *end == L'\0';
        head.length = value;
    }
    return head;
}

// The new file, opened so that the player's close can remove it while it is being written.
HANDLE CreateTarget(const std::wstring& file) {
    HANDLE target = INVALID_HANDLE_VALUE;
    UnlessClosing([&] {
        target = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    return target;
}

bool CopyBody(HINTERNET request, const ReplyHead& head, HANDLE target) {
    std::vector<char> buffer(64 * 1024);
    std::uint64_t received = 0;
    for (;;) {
        if (PlayerClosing()) return false;
        DWORD got = 0;
        if (!WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) return false;
        if (got == 0) break;
        received += got;
        if (!ReplyWithinLimit(received)) return false;
        DWORD written = 0;
        if (!WriteFile(target, buffer.data(), got, &written, nullptr) || written != got) return false;
    }
    return ReplyIsComplete(head, received);
}

// Sends the request for `url` and waits for its reply's head.
bool Send(HINTERNET session, const std::wstring& url, HttpExchange& exchange) {
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                        std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    exchange.connection.reset(WinHttpConnect(session, host.c_str(), parts.nPort, 0));
    if (exchange.connection.get() == nullptr) return false;
    const DWORD flags = WINHTTP_FLAG_REFRESH | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    exchange.request.reset(WinHttpOpenRequest(exchange.connection.get(), L"GET", path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    return exchange.request.get() != nullptr &&
           WinHttpSendRequest(exchange.request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
           WinHttpReceiveResponse(exchange.request.get(), nullptr);
}
}  // namespace

bool DownloadToFile(const std::wstring& url, const std::wstring& file) {
    if (PlayerClosing()) return false;
    HttpHandle session(WinHttpOpen(L"zentavo", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.get() == nullptr) return false;
    HttpExchange exchange;
    if (!Send(session.get(), url, exchange)) return false;
    HINTERNET request = exchange.request.get();
    const ReplyHead head = ReadHead(request);
    if (!ReplyMayBeRead(head)) return false;
    HANDLE target = CreateTarget(file);
    if (target == INVALID_HANDLE_VALUE) return false;
    const bool complete = CopyBody(request, head, target);
    CloseHandle(target);
    if (!complete) DeleteFileW(file.c_str());
    return complete;
}

}  // namespace zentavo

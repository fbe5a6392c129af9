#include <winsock2.h>  // before the windows.h of ziv_fetch.h

#include "ziv_fetch.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "ziv_log.h"

namespace ziv {
namespace {
constexpr DWORD kRetryMs = 1000;
constexpr DWORD kCountEveryMs = 1000;
}  // namespace

bool FetchModeOn() {
    const char* text = std::getenv("ZIV_FETCH");
    return text != nullptr && std::strcmp(text, "1") == 0;
}

void StreamFetch::Start(const FetchTarget& target, HWND window) {
    Stop();
    target_ = target;
    window_ = window;
    bytes_ = 0;
    stopping_ = false;
    ++generation_;
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &StreamFetch::Run, this, 0, nullptr);
    if (thread_ == nullptr) {
        CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
    }
}

void StreamFetch::Stop() {
    if (thread_ == nullptr) return;
    stopping_ = true;
    SetEvent(stopEvent_);
    // Closing the socket ends a read or connect that is waiting.
    UINT_PTR open = socket_.exchange(~static_cast<UINT_PTR>(0));
    if (open != ~static_cast<UINT_PTR>(0)) closesocket(static_cast<SOCKET>(open));
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(stopEvent_);
    thread_ = stopEvent_ = nullptr;
}

DWORD WINAPI StreamFetch::Run(void* self) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    static_cast<StreamFetch*>(self)->Loop();
    WSACleanup();
    return 0;
}

void StreamFetch::Loop() {
    // The engine refuses players until it holds the stream's header, and closes them when the
    // header changes: in both cases the fetch connects again a little later.
    while (ReadStream())
        if (WaitForSingleObject(stopEvent_, kRetryMs) == WAIT_OBJECT_0) return;
}

bool StreamFetch::ReadStream() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return !stopping_;
    socket_ = static_cast<UINT_PTR>(s);
    if (stopping_) {
        if (socket_.exchange(~static_cast<UINT_PTR>(0)) != ~static_cast<UINT_PTR>(0)) closesocket(s);
        return false;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(target_.port);
    address.sin_addr.s_addr = htonl(target_.ipv4);
    bool started = false;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = FetchRequest(target_);
        send(s, request.data(), static_cast<int>(request.size()), 0);
        std::string head;  // the reply's head, until its empty line
        bool headDone = false;
        DWORD lastCount = GetTickCount();
        char buffer[16384];
        for (;;) {
            int got = recv(s, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            size_t bodyAt = 0;
            if (!headDone) {
                const size_t before = head.size();
                head.append(buffer, static_cast<size_t>(got));
                const size_t end = head.find("\r\n\r\n");
                if (end == std::string::npos) {
                    if (head.size() > 65536) break;  // no HTTP reply
                    continue;
                }
                headDone = true;
                bodyAt = end + 4 - before;  // the empty line was not complete before this piece
            }
            if (bodyAt < static_cast<size_t>(got)) {
                if (!started) PostMessageW(window_, kFetchStarted, generation_, 0);
                started = true;
                bytes_ += static_cast<std::uint64_t>(got) - bodyAt;
            }
            if (GetTickCount() - lastCount >= kCountEveryMs) {
                lastCount = GetTickCount();
                Log("bytes %llu", static_cast<unsigned long long>(bytes_.load()));
                PostMessageW(window_, kFetchCounted, generation_, 0);
            }
        }
    }
    if (socket_.exchange(~static_cast<UINT_PTR>(0)) != ~static_cast<UINT_PTR>(0)) closesocket(s);
    if (started) {
        Log("bytes %llu", static_cast<unsigned long long>(bytes_.load()));
        PostMessageW(window_, kFetchEnded, generation_, 0);
    }
    return !stopping_;
}

}  // namespace ziv

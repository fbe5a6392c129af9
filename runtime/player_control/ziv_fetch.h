// Fetch mode (ZIV_FETCH=1): the control reads the stream of the address it plays from the local
// stream server, on a thread of its own, the way a media player would. The thread tells the
// control window when the stream's body starts and when it ends (it then connects again, also
// while the server still refuses players), counts the body's bytes and logs them once a second.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "fetch_target.h"

namespace ziv {

// Posted to the control window; wParam is the fetch's generation, so that a stopped fetch's
// late notes are told apart.
constexpr UINT kFetchStarted = WM_APP + 0x41;
constexpr UINT kFetchEnded = WM_APP + 0x42;
constexpr UINT kFetchCounted = WM_APP + 0x43;

bool FetchModeOn();  // ZIV_FETCH=1

class StreamFetch {
public:
    ~StreamFetch() { Stop(); }
    // Starts fetching `target`; notes go to `window`. Stops an earlier fetch first.
    void Start(const FetchTarget& target, HWND window);
    void Stop();
    bool Running() const { return thread_ != nullptr; }
    WPARAM Generation() const { return generation_; }
    std::uint64_t Bytes() const { return bytes_; }

private:
    static DWORD WINAPI Run(void* self);
    void Loop();
    bool ReadStream();  // one connection; false when told to stop

    FetchTarget target_;
    HWND window_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    std::atomic<UINT_PTR> socket_{~static_cast<UINT_PTR>(0)};
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> bytes_{0};
    WPARAM generation_ = 0;
};

}  // namespace ziv

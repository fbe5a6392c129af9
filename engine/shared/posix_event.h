// Manual-reset event of the native builds. The engine's platform edge creates it and the
// native engine core's CoreWait waits on it, so both sides share this one definition.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

struct PosixEvent {
    std::mutex mutex;
    std::condition_variable cond;
    bool signalled = false;

    void Set() {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = true;
        cond.notify_all();
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(mutex);
        signalled = false;
    }
    // True when signalled within ms.
    bool Wait(uint32_t ms) {
        std::unique_lock<std::mutex> lock(mutex);
        return cond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled; });
    }
};

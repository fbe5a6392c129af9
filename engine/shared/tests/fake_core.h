// A small in-memory engine core for unit tests: a closable FIFO queue, captured log lines,
// plain heap blocks and a record of unregistered objects. Bind it with FakeCore::Bind().
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine_tables.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "posix_event.h"
#endif

class FakeCore {
public:
    static FakeCore& Get() {
        static FakeCore* core = new FakeCore;
        return *core;
    }

    static void Bind() {
        Get().Reset();
        BindCoreTableFrom(&FakeCore::TsXxxx);
    }

    void Reset() {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        logs_.clear();
        unregistered_.clear();
        bases_.clear();
        closed_ = false;
    }

    std::vector<std::string> Logs() {
        std::lock_guard<std::mutex> lock(mutex_);
        return logs_;
    }
    bool HasLog(const std::string& line) {
        for (const auto& l : Logs()) if (l == line) return true;
        return false;
    }
    std::vector<void*> Unregistered() {
        std::lock_guard<std::mutex> lock(mutex_);
        return unregistered_;
    }
    std::vector<uint32_t> RegisteredBases() {
        std::lock_guard<std::mutex> lock(mutex_);
        return bases_;
    }
    size_t QueuedCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queue_.size();
    }

private:
    static int ENGINE_CALL TsXxxx(uint32_t* table) {
        auto put = [table](int slot, auto fn) { table[slot] = ToWord(fn); };
        put(kCoreAlloc, &Alloc);
        put(kCoreFree, &Free);
        put(kCorePostMessage, &Post);
        put(kCoreGetMessage, &GetMessage);
        put(kCoreShutdownQueue, &Shutdown);
        put(kCoreUnregisterObject, &Unregister);
        put(kCoreWait, &Wait);
        put(kCoreLogText, &LogText);
        put(kCoreLogPrintf, &LogPrintf);
        put(kCoreRegisterNetMessageBase, &RegisterBase);
        put(kCoreRegisterMessageBase, &RegisterBase);
        return 1;
    }
    static void* ENGINE_CALL Alloc(uint32_t size, uint32_t, uint32_t) { return std::calloc(1, size ? size : 1); }
    static int ENGINE_CALL Free(void* b, uint32_t, uint32_t) {
        std::free(b);
        return 1;
    }
    static int ENGINE_CALL Post(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3,
                                uint32_t p4) {
        FakeCore& c = Get();
        std::lock_guard<std::mutex> lock(c.mutex_);
        if (c.closed_) return 0;
        c.queue_.push_back({target, sender, id, p1, p2, p3, p4, ++c.sequence_});
        c.cond_.notify_all();
        return 1;
    }
    static int ENGINE_CALL GetMessage(FrameworkMessage* m) {
        FakeCore& c = Get();
        std::unique_lock<std::mutex> lock(c.mutex_);
        c.cond_.wait(lock, [&c] { return c.closed_ || !c.queue_.empty(); });
        if (c.closed_) return 0;
        *m = c.queue_.front();
        c.queue_.pop_front();
        return 1;
    }
    static int ENGINE_CALL Shutdown() {
        FakeCore& c = Get();
        std::lock_guard<std::mutex> lock(c.mutex_);
        c.closed_ = true;
        c.queue_.clear();
        c.cond_.notify_all();
        return 1;
    }
    static int ENGINE_CALL Unregister(void* o) {
        FakeCore& c = Get();
        std::lock_guard<std::mutex> lock(c.mutex_);
        c.unregistered_.push_back(o);
        for (auto it = c.queue_.begin(); it != c.queue_.end();) {
            it = (it->target == ToWord(o)) ? c.queue_.erase(it) : it + 1;
        }
        return 1;
    }
    static int ENGINE_CALL Wait(void* event, uint32_t ms) {
#if defined(_WIN32)
        return static_cast<int>(::WaitForSingleObject(event, ms));
#else
        return static_cast<PosixEvent*>(event)->Wait(ms) ? 0 : 258;
#endif
    }
    static int ENGINE_CALL LogText(uint32_t, uint32_t, const char* text) {
        FakeCore& c = Get();
        std::lock_guard<std::mutex> lock(c.mutex_);
        c.logs_.emplace_back(text);
        return 1;
    }
    static int ENGINE_CALL LogPrintf(uint32_t, uint32_t, const char* format, ...) {
        char text[2048];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof(text), format, args);
        va_end(args);
        return LogText(0, 0, text);
    }
    static int ENGINE_CALL RegisterBase(uint32_t base) {
        FakeCore& c = Get();
        std::lock_guard<std::mutex> lock(c.mutex_);
        c.bases_.push_back(base);
        return 1;
    }

    std::mutex mutex_;
    std::condition_variable cond_;
    std::deque<FrameworkMessage> queue_;
    std::vector<std::string> logs_;
    std::vector<void*> unregistered_;
    std::vector<uint32_t> bases_;
    bool closed_ = false;
    uint32_t sequence_ = 0;
};

// POSIX side of the core's operating-system edge (native builds).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core_platform.h"
#include "posix_event.h"

namespace quib::os {

uint32_t TickCount() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000u);
}

uint32_t ProcessId() {
    return static_cast<uint32_t>(getpid());
}

uint32_t ThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

bool EnvValue(const char* name, std::string* value) {
    const char* v = std::getenv(name);
    if (!v) return false;
    value->assign(v);
    return true;
}

std::string LibraryFolder() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) || !info.dli_fname) return {};
    const char* slash = std::strrchr(info.dli_fname, '/');
    if (!slash) return {};
    return std::string(info.dli_fname, static_cast<size_t>(slash - info.dli_fname) + 1);
}

FileHandle OpenAppendFile(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return fd < 0 ? kNoFile : fd;
}

void AppendToFile(FileHandle file, const char* data, size_t length) {
    if (file == kNoFile) return;
    ssize_t written = write(static_cast<int>(file), data, length);
    (void)written;  // a lost log line has nowhere to be reported
}

void DebugString(const char* text) {
    // The native counterpart of the debugger output channel.
    std::fputs(text, stderr);
}

int WaitForEvent(void* event, uint32_t ms) {
    if (!event) return -1;
    return static_cast<PosixEvent*>(event)->Wait(ms) ? 0 : 258;
}

void Abort() {
    std::abort();
}

}  // namespace quib::os

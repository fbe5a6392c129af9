// POSIX side of the platform edge, for the native builds (Linux i386).
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform.h"
#include "posix_event.h"

namespace platform {

uint32_t TickCount() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000u);
}

LocalTime LocalTimeNow() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts;
    localtime_r(&ts.tv_sec, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

uint32_t CurrentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

uint32_t LastError() {
    return static_cast<uint32_t>(errno);
}

void DebugOutput(const char* text) {
    // The native counterpart of the debugger output: standard error.
    std::fputs(text, stderr);
}

const char* CommandLine() {
    static std::string* line = [] {
        auto* s = new std::string;
        if (FILE* f = std::fopen("/proc/self/cmdline", "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) s->push_back(c ? static_cast<char>(c) : ' ');
            std::fclose(f);
        }
        return s;
    }();
    return line->c_str();
}

bool StrStrI(const char* haystack, const char* needle) {
    if (!haystack || !needle) return false;
    return strcasestr(haystack, needle) != nullptr;
}

const char* GetEnv(const char* name) {
    return std::getenv(name);
}

uint32_t SystemVersion() {
    // Packed like the Windows word: major in the low byte, minor in the next.
    utsname u;
    if (uname(&u) != 0) return 0;
    unsigned major = 0, minor = 0;
    std::sscanf(u.release, "%u.%u", &major, &minor);
    return (major & 0xFFu) | ((minor & 0xFFu) << 8);
}

namespace {
// "QUIB.DLL" is found natively as libQUIB.so (a folder in front stays where it is).
std::string NativeLibraryName(const char* file_name) {
    std::string name(file_name);
    size_t slash = name.rfind('/');
    size_t base = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > base && strcasecmp(name.c_str() + dot, ".dll") == 0) {
        return name.substr(0, base) + "lib" + name.substr(base, dot - base) + ".so";
    }
    return name;
}

// A failed load reports the platform's "module not found" code, as on Windows.
constexpr int kModuleNotFound = 126;

void* OpenLibrary(const std::string& path) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!module) errno = kModuleNotFound;
    return module;
}
}  // namespace

void* LoadLibraryByName(const char* file_name) {
    return OpenLibrary(NativeLibraryName(file_name));
}

bool OwnModuleFolder(char* out, size_t out_size) {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&OwnModuleFolder), &info) || !info.dli_fname) return false;
    const char* slash = std::strrchr(info.dli_fname, '/');
    if (!slash) return false;
    size_t n = static_cast<size_t>(slash - info.dli_fname) + 1;
    if (n + 1 > out_size) return false;
    std::memcpy(out, info.dli_fname, n);
    out[n] = '\0';
    return true;
}

void* LoadLibraryFromOwnFolder(const char* file_name) {
    char folder[1024];
    if (!OwnModuleFolder(folder, sizeof(folder))) return nullptr;
    return OpenLibrary(std::string(folder) + NativeLibraryName(file_name));
}

void* GetProcAddress(void* module, const char* name) {
    return module ? dlsym(module, name) : nullptr;
}

void FreeLibrary(void* module) {
    if (module) dlclose(module);
}

bool MainModuleFileName(char* out, size_t out_size) {
    ssize_t n = readlink("/proc/self/exe", out, out_size - 1);
    if (n <= 0) return false;
    out[n] = '\0';
    return true;
}

bool PathRemoveFileSpec(char* path) {
    char* slash = std::strrchr(path, '/');
    if (!slash) return false;
    *(slash == path ? slash + 1 : slash) = '\0';
    return true;
}

bool PathIsRelative(const char* path) {
    return !path || path[0] != '/';
}

bool PathAppend(char* path, size_t path_size, const char* more) {
    size_t n = std::strlen(path);
    bool need_slash = n > 0 && path[n - 1] != '/';
    if (n + (need_slash ? 1 : 0) + std::strlen(more) + 1 > path_size) return false;
    if (need_slash) std::strcat(path, "/");
    std::strcat(path, more);
    return true;
}

namespace {
struct NativeThread {
    pthread_t thread;
    ThreadProc proc;
    void* arg;
    PosixEvent ended;
};
void* ThreadTrampoline(void* p) {
    auto* t = static_cast<NativeThread*>(p);
    t->proc(t->arg);
    t->ended.Set();
    return nullptr;
}
}  // namespace

void* CreateThread(ThreadProc proc, void* arg, uint32_t* thread_id) {
    auto* t = new NativeThread;
    t->proc = proc;
    t->arg = arg;
    if (pthread_create(&t->thread, nullptr, ThreadTrampoline, t) != 0) {
        delete t;
        return nullptr;
    }
    if (thread_id) *thread_id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(t));
    return t;
}

bool WaitForThread(void* thread, uint32_t ms) {
    return static_cast<NativeThread*>(thread)->ended.Wait(ms);
}

void TerminateThread(void* thread) {
    // POSIX has no safe forced end of a thread; a thread that did not end is left running.
    (void)thread;
}

void CloseThread(void* thread) {
    auto* t = static_cast<NativeThread*>(thread);
    if (t->ended.Wait(0)) {
        pthread_join(t->thread, nullptr);
        delete t;
    } else {
        pthread_detach(t->thread);  // still running: leak the record rather than free it under the thread
    }
}

void SleepMs(uint32_t ms) {
    usleep(static_cast<useconds_t>(ms) * 1000u);
}

void* CreateManualEvent() {
    return new PosixEvent;
}

void SetEvent(void* event) {
    static_cast<PosixEvent*>(event)->Set();
}

void ResetEvent(void* event) {
    static_cast<PosixEvent*>(event)->Reset();
}

void CloseEvent(void* event) {
    delete static_cast<PosixEvent*>(event);
}

void CreateGuid(uint8_t out[16]) {
    static thread_local std::mt19937 rng(std::random_device{}());
    for (int i = 0; i < 16; i += 4) {
        uint32_t r = rng();
        std::memcpy(out + i, &r, 4);
    }
    out[7] = static_cast<uint8_t>((out[7] & 0x0F) | 0x40);  // version 4 (Data3's high byte)
    out[8] = static_cast<uint8_t>((out[8] & 0x3F) | 0x80);  // variant
}

bool GuidToPlatformString(const uint8_t g[16], char out[37]) {
    uint32_t d1;
    uint16_t d2, d3;
    std::memcpy(&d1, g, 4);
    std::memcpy(&d2, g + 4, 2);
    std::memcpy(&d3, g + 6, 2);
    std::snprintf(out, 37, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", d1, d2, d3, g[8], g[9], g[10],
                  g[11], g[12], g[13], g[14], g[15]);
    return true;
}

int LocalIPv4Addresses(uint32_t* out, int max) {
    char name[256];
    if (gethostname(name, sizeof(name)) != 0) return 0;
    hostent* host = gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4) return 0;
    int count = 0;
    for (char** a = host->h_addr_list; *a && count < max; ++a) std::memcpy(&out[count++], *a, 4);
    return count;
}

namespace {
PostWindowMessageHook g_post_hook = nullptr;
}

void SetPostWindowMessageHook(PostWindowMessageHook hook) {
    g_post_hook = hook;
}

bool PostWindowMessage(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam) {
    return g_post_hook ? g_post_hook(window, message, wparam, lparam) : false;
}

}  // namespace platform

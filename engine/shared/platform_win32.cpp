// Windows side of the platform edge.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <rpc.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// shlwapi.h maps these names to their A/W forms; the platform edge's own functions keep them.
#undef StrStrI
#undef PathRemoveFileSpec
#undef PathAppend
#undef PathIsRelative

#include "platform.h"

namespace platform {

uint32_t TickCount() {
    return ::GetTickCount();
}

LocalTime LocalTimeNow() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

uint32_t CurrentProcessId() {
    return ::GetCurrentProcessId();
}

uint32_t CurrentThreadId() {
    return ::GetCurrentThreadId();
}

uint32_t LastError() {
    return ::GetLastError();
}

void DebugOutput(const char* text) {
    ::OutputDebugStringA(text);
}

const char* CommandLine() {
    return ::GetCommandLineA();
}

bool StrStrI(const char* haystack, const char* needle) {
    return haystack && needle && ::StrStrIA(haystack, needle) != nullptr;
}

const char* GetEnv(const char* name) {
    return std::getenv(name);
}

uint32_t SystemVersion() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersion();
#pragma GCC diagnostic pop
}

void* LoadLibraryByName(const char* file_name) {
    return ::LoadLibraryA(file_name);
}

bool OwnModuleFolder(char* out, size_t out_size) {
    MEMORY_BASIC_INFORMATION info;
    if (!::VirtualQuery(reinterpret_cast<const void*>(&OwnModuleFolder), &info, sizeof(info))) return false;
    if (info.State != MEM_COMMIT) return false;
    char path[1024];
    DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return false;
    char* slash = std::strrchr(path, '\\');
    if (!slash) return false;
    slash[1] = '\0';
    if (std::strlen(path) + 1 > out_size) return false;
    std::strcpy(out, path);
    return true;
}

void* LoadLibraryFromOwnFolder(const char* file_name) {
    char path[1024 + 64];
    if (!OwnModuleFolder(path, sizeof(path))) return nullptr;
    if (std::strlen(path) + std::strlen(file_name) + 1 > sizeof(path)) return nullptr;
    std::strcat(path, file_name);
    return ::LoadLibraryA(path);
}

void* GetProcAddress(void* module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void FreeLibrary(void* module) {
    ::FreeLibrary(static_cast<HMODULE>(module));
}

bool MainModuleFileName(char* out, size_t out_size) {
    DWORD n = ::GetModuleFileNameA(nullptr, out, static_cast<DWORD>(out_size));
    return n != 0 && n < out_size;
}

bool PathRemoveFileSpec(char* path) {
    return ::PathRemoveFileSpecA(path) != FALSE;
}

bool PathAppend(char* path, size_t path_size, const char* more) {
    if (path_size < MAX_PATH) return false;
    return ::PathAppendA(path, more) != FALSE;
}

bool PathIsRelative(const char* path) {
    return ::PathIsRelativeA(path) != FALSE;
}

namespace {
struct ThreadStart {
    ThreadProc proc;
    void* arg;
};
DWORD WINAPI ThreadTrampoline(LPVOID p) {
    ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    return start.proc(start.arg);
}
}  // namespace

void* CreateThread(ThreadProc proc, void* arg, uint32_t* thread_id) {
    auto* start = new ThreadStart{proc, arg};
    DWORD id = 0;
    HANDLE h = ::CreateThread(nullptr, 0, ThreadTrampoline, start, 0, &id);
    if (!h) {
        delete start;
        return nullptr;
    }
    if (thread_id) *thread_id = id;
    return h;
}

bool WaitForThread(void* thread, uint32_t ms) {
    return ::WaitForSingleObject(static_cast<HANDLE>(thread), ms) == WAIT_OBJECT_0;
}

void TerminateThread(void* thread) {
    ::TerminateThread(static_cast<HANDLE>(thread), 0);
}

void CloseThread(void* thread) {
    ::CloseHandle(static_cast<HANDLE>(thread));
}

void SleepMs(uint32_t ms) {
    ::Sleep(ms);
}

void* CreateManualEvent() {
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void SetEvent(void* event) {
    ::SetEvent(static_cast<HANDLE>(event));
}

void ResetEvent(void* event) {
    ::ResetEvent(static_cast<HANDLE>(event));
}

void CloseEvent(void* event) {
    if (event) ::CloseHandle(static_cast<HANDLE>(event));
}

void CreateGuid(uint8_t out[16]) {
    GUID g;
    if (::CoCreateGuid(&g) != S_OK) std::memset(&g, 0, sizeof(g));
    std::memcpy(out, &g, 16);
}

bool GuidToPlatformString(const uint8_t guid[16], char out[37]) {
    UUID u;
    std::memcpy(&u, guid, 16);
    RPC_CSTR text = nullptr;
    if (::UuidToStringA(&u, &text) != RPC_S_OK || !text) return false;
    std::strncpy(out, reinterpret_cast<const char*>(text), 36);
    out[36] = '\0';
    ::RpcStringFreeA(&text);
    return true;
}

int LocalIPv4Addresses(uint32_t* out, int max) {
    char name[256];
    if (::gethostname(name, sizeof(name)) != 0) return 0;
    hostent* host = ::gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4) return 0;
    int count = 0;
    for (char** a = host->h_addr_list; *a && count < max; ++a) {
        std::memcpy(&out[count++], *a, 4);
    }
    return count;
}

bool PostWindowMessage(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam) {
    return ::PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), message, wparam, lparam) != FALSE;
}

}  // namespace platform

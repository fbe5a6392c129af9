// The platform edge of the engine: every operating-system call that engine logic makes goes
// through here, so that the logic also compiles and runs natively. platform_win32.cpp is the
// Windows side; platform_posix.cpp is the small POSIX side used by native builds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// ---- time ----
uint32_t TickCount();  // milliseconds since system start, wraps at 2^32

struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};
LocalTime LocalTimeNow();

// ---- process and debugger output ----
uint32_t CurrentProcessId();
uint32_t CurrentThreadId();
uint32_t LastError();
void DebugOutput(const char* text);
void DebugOutputf(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* CommandLine();
bool StrStrI(const char* haystack, const char* needle);  // case-insensitive substring test
const char* GetEnv(const char* name);                    // null when unset
uint32_t SystemVersion();                                // the platform's packed version word

// ---- modules ----
void* LoadLibraryByName(const char* file_name);        // the platform's search order
void* LoadLibraryFromOwnFolder(const char* file_name);  // the folder of the calling engine library
void* GetProcAddress(void* module, const char* name);
void FreeLibrary(void* module);
// Folder of the engine library that contains this code, with its trailing separator.
// False when the folder cannot be worked out (region not committed, no name, no separator).
bool OwnModuleFolder(char* out, size_t out_size);

// Full path of the process's main executable; false when unknown.
bool MainModuleFileName(char* out, size_t out_size);
bool PathRemoveFileSpec(char* path);                     // cut the last component
bool PathAppend(char* path, size_t path_size, const char* more);  // append with one separator
bool PathIsRelative(const char* path);

// ---- threads and events ----
using ThreadProc = uint32_t (*)(void* arg);
void* CreateThread(ThreadProc proc, void* arg, uint32_t* thread_id);
bool WaitForThread(void* thread, uint32_t ms);  // true = ended within ms
void TerminateThread(void* thread);
void CloseThread(void* thread);
void SleepMs(uint32_t ms);

// Manual-reset event; its handle is what CoreWait takes.
void* CreateManualEvent();
void SetEvent(void* event);
void ResetEvent(void* event);
void CloseEvent(void* event);

// ---- identity and addresses ----
void CreateGuid(uint8_t out[16]);
// The platform's GUID string form: lower case, no braces (36 characters + NUL).
bool GuidToPlatformString(const uint8_t guid[16], char out[37]);
// IPv4 addresses (network order) of this host, as the resolver gives them; returns the count.
int LocalIPv4Addresses(uint32_t* out, int max);

// ---- windows ----
// Posts a window message to a window handle held as a 32-bit word; false when it failed.
bool PostWindowMessage(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam);

#if !defined(_WIN32)
// Natively there are no windows: a test or the simulator records the posts instead.
using PostWindowMessageHook = bool (*)(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam);
void SetPostWindowMessageHook(PostWindowMessageHook hook);
#endif

}  // namespace platform

// Windows side of the core's operating-system edge.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "core_platform.h"

namespace quib::os {

uint32_t TickCount() {
    return GetTickCount();
}

uint32_t ProcessId() {
    return GetCurrentProcessId();
}

uint32_t ThreadId() {
    return GetCurrentThreadId();
}

bool EnvValue(const char* name, std::string* value) {
    // The process environment block, not the C runtime's copy: a test executable and this
    // library may each carry their own runtime state.
    char small[256];
    DWORD n = GetEnvironmentVariableA(name, small, sizeof(small));
    if (n == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        value->clear();
        return true;
    }
    if (n < sizeof(small)) {
        value->assign(small, n);
        return true;
    }
    std::vector<char> big(n);
    DWORD m = GetEnvironmentVariableA(name, big.data(), n);
    if (m == 0 || m >= n) return false;
    value->assign(big.data(), m);
    return true;
}

std::string LibraryFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&LibraryFolder), &self)) {
        return {};
    }
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return {};
    std::string s(path, n);
    size_t cut = s.find_last_of("\\/");
    if (cut == std::string::npos) return {};
    return s.substr(0, cut + 1);
}

FileHandle OpenAppendFile(const char* path) {
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(h);
}

void AppendToFile(FileHandle file, const char* data, size_t length) {
    if (file == kNoFile) return;
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(file), data, static_cast<DWORD>(length), &written, nullptr);
}

void DebugString(const char* text) {
    OutputDebugStringA(text);
}

int WaitForEvent(void* event, uint32_t ms) {
    return static_cast<int>(WaitForSingleObject(static_cast<HANDLE>(event), ms));
}

void Abort() {
    std::abort();
}

}  // namespace quib::os

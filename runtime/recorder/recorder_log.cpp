#include "recorder_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
std::wstring LogPath() {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD length = GetEnvironmentVariableW(L"ROVASK_LOG", buffer, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) return std::wstring(buffer, length);
    length = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    std::wstring path(buffer, length);
    size_t slash = path.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"rovask.log";
}
}  // namespace

void RecorderLog(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > static_cast<int>(sizeof line) - 3) length = sizeof line - 3;
    line[length++] = '\r';
    line[length++] = '\n';
    HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

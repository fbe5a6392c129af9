#include "ziv_log.h"

#include <cstdarg>
#include <cstdio>

namespace ziv {

HINSTANCE g_module = nullptr;

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

void Log(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char line[1100];
    int length = snprintf(line, sizeof line, "%lu %s\r\n", GetTickCount(), text);
    if (length < 0) return;
    if (length >= static_cast<int>(sizeof line)) length = sizeof line - 1;
    wchar_t path[MAX_PATH * 2];
    DWORD fromEnv = GetEnvironmentVariableW(L"ZIV_LOG", path, MAX_PATH * 2);
    std::wstring file = fromEnv > 0 && fromEnv < MAX_PATH * 2 ? std::wstring(path, fromEnv) : ModuleFolder() + L"ziv.log";
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(handle);
}

}  // namespace ziv

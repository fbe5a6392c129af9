#include "net_log.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kuz {

namespace {

// Leaked on purpose: nothing of the library is torn down at process exit.
char* g_trace_path = nullptr;
FILE* g_trace_file = nullptr;

unsigned long TickMs() {
    using namespace std::chrono;
    return static_cast<unsigned long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

void ConfigureTrace(const std::string& path) {
    if (g_trace_path || path.empty()) return;
    g_trace_path = new char[path.size() + 1];
    std::memcpy(g_trace_path, path.c_str(), path.size() + 1);
}

void Trace(int socket_id, const char* format, ...) {
    if (!g_trace_path) return;
    if (!g_trace_file) g_trace_file = std::fopen(g_trace_path, "a");
    if (!g_trace_file) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    std::fprintf(g_trace_file, "%lu s=%d %s\n", TickMs(), socket_id, text);
    std::fflush(g_trace_file);
}

}  // namespace kuz

#include "crash_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform.h"

namespace {

constexpr size_t kPathSize = 260;
const char* g_program_path_override = nullptr;

// The host program's full path; tests can stand in another.
bool ProgramPath(char* out) {
    if (g_program_path_override) {
        std::snprintf(out, kPathSize, "%s", g_program_path_override);
        return out[0] != '\0';
    }
    out[0] = '\0';
    return platform::MainModuleFileName(out, kPathSize);
}

}  // namespace

void SetCrashLogProgramPathForTest(const char* path) {
    g_program_path_override = path;
}

void WriteCrashLog(const char* format, ...) {
    char program[kPathSize];
    ProgramPath(program);

    char file_name[kPathSize];
    std::memcpy(file_name, program, sizeof(file_name));
    if (!platform::PathRemoveFileSpec(file_name) || !platform::PathAppend(file_name, sizeof(file_name), "crash.log")) {
        platform::DebugOutput("get log file name failed.\n");
        std::strcpy(file_name, "crash.log");
    }

#if defined(_WIN32)
    FILE* file = std::fopen(file_name, "a+t");
#else
    FILE* file = std::fopen(file_name, "a+");
#endif
    if (!file) return;

    platform::LocalTime t = platform::LocalTimeNow();
    std::fprintf(file, "\nCrash: %s\n", program);
    std::fprintf(file, "Time : %04d-%02d-%02d %02d:%02d:%02d.%03d\n", t.year, t.month, t.day, t.hour, t.minute,
                 t.second, t.millisecond);
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputs("\n", file);
    std::fflush(file);
    std::fclose(file);
}

void ExceptFilter(uint32_t code, void* address, uint32_t info1) {
    char text[256];
    std::snprintf(text, sizeof(text), "ExceptFilter exception %p, %p, %p\n",
                  reinterpret_cast<void*>(static_cast<uintptr_t>(code)), address,
                  reinterpret_cast<void*>(static_cast<uintptr_t>(info1)));
    platform::DebugOutput(text);
}

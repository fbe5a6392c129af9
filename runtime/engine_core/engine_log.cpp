#include "engine_log.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "core_platform.h"
#include "core_settings.h"

namespace quib::engine_log {

namespace {

// Has its own lock, apart from the queue's: a line may be written while the queue is busy.
struct LogFile {
    std::mutex mutex;
    bool opened = false;
    os::FileHandle file = os::kNoFile;
    bool to_debugger = false;
};

LogFile& State() {
    static LogFile* state = new LogFile;  // lives to the end of the process, never destroyed
    return *state;
}

void OpenOnce(LogFile& log) {
    if (log.opened) return;
    log.opened = true;
    std::string path;
    if (!settings::LogPath(&path)) path = os::LibraryFolder() + "engine.log";
    log.file = os::OpenAppendFile(path.c_str());
    log.to_debugger = settings::LogToDebugger();
}

std::string FormatLine(const char* text) {
    char prefix[48];
    std::snprintf(prefix, sizeof(prefix), "%u %u:%u ", static_cast<unsigned>(os::TickCount()),
                  static_cast<unsigned>(os::ProcessId()), static_cast<unsigned>(os::ThreadId()));
    std::string line(prefix);
    line += text ? text : "(null)";
    line += '\n';
    return line;
}

}  // namespace

void Line(const char* text) {
    const std::string line = FormatLine(text);
    LogFile& log = State();
    std::lock_guard<std::mutex> lock(log.mutex);
    OpenOnce(log);
    os::AppendToFile(log.file, line.data(), line.size());
    if (log.to_debugger) os::DebugString(line.c_str());
}

void VPrintf(const char* format, va_list args) {
    if (!format) return;
    char text[kFormattedTextLimit];
    std::vsnprintf(text, sizeof(text), format, args);
    Line(text);
}

void Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    VPrintf(format, args);
    va_end(args);
}

}  // namespace quib::engine_log

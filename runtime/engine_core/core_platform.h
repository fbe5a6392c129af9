// The engine core's own edge to the operating system. The core links nothing of the engine,
// so it keeps this small set of calls to itself; the _win32 and _posix sources implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quib::os {

uint32_t TickCount();  // milliseconds since system start, wraps at 2^32
uint32_t ProcessId();
uint32_t ThreadId();

// False when the variable is not set. Read from the process environment on every call, so
// a seam set by a test after load takes effect.
bool EnvValue(const char* name, std::string* value);

// Folder of the core library itself, with its trailing separator; empty when unknown.
std::string LibraryFolder();

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;
FileHandle OpenAppendFile(const char* path);
// One write call, so concurrent writers (threads or processes) never interleave inside a line.
void AppendToFile(FileHandle file, const char* data, size_t length);
void DebugString(const char* text);

// The platform wait on an event handle: 0 signalled, 258 timed out, -1 failed.
int WaitForEvent(void* event, uint32_t ms);

[[noreturn]] void Abort();

}  // namespace quib::os

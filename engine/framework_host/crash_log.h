// "crash.log" next to the host program: faults and invalid targets met by the message loop.
#pragma once

#include <cstdint>

// Appends one record: an empty line, "Crash:" with the program path, "Time :", the caller's text.
void WriteCrashLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes "ExceptFilter exception %p, %p, %p\n" to the debugger output.
void ExceptFilter(uint32_t code, void* address, uint32_t info1);

// Tests stand in a program path (null restores the real one); "" exercises the fallback.
void SetCrashLogProgramPathForTest(const char* path);

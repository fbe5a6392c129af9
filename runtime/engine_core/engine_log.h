// The engine log: one line "<tick> <pid>:<tid> <text>\n" per call, appended with a single
// write. The file is %QUIB_LOG% or engine.log next to the library, opened at the first line.
#pragma once

#include <cstdarg>

namespace quib::engine_log {

constexpr int kFormattedTextLimit = 2048;  // formatted texts are cut off beyond this (with the NUL)

void Line(const char* text);
void VPrintf(const char* format, va_list args);
void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quib::engine_log

// The recording tool's log: one line per event, appended and flushed at once, in
// %ROVASK_LOG% or else rovask.log next to the program.
#pragma once

void RecorderLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

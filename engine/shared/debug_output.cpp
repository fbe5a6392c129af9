// The formatted debug line of both platforms; each platform's DebugOutput says where it goes.
#include <cstdarg>
#include <cstdio>

#include "platform.h"

namespace platform {

void DebugOutputf(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    DebugOutput(text);
}

}  // namespace platform

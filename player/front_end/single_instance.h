// The single-instance mutex. It is claimed while the program's units initialise, before the
// main block runs; a second instance ends there at once with exit code 0 and shows nothing.
#pragma once

#include <windows.h>

namespace zentavo {

extern HANDLE InstanceMutex;

}  // namespace zentavo

#include "single_instance.h"

#include "player_texts.h"

namespace zentavo {

HANDLE InstanceMutex = nullptr;

namespace {
bool ClaimSingleInstance() {
    InstanceMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) ExitProcess(0);
    return true;
}

// Runs during static initialisation of the program, like a unit's initialisation section.
// The handle is closed by the system when the process ends.
[[maybe_unused]] const bool kInstanceClaimed = ClaimSingleInstance();
}  // namespace

}  // namespace zentavo

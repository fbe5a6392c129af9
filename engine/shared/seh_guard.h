// Fault guards around code that may touch bad memory. The Windows side links an x86
// structured-exception record into fs:[0] by hand (the i686 compiler has no __try/__except);
// the native side recovers through a SIGSEGV/SIGBUS handler.
#pragma once

#include <cstdint>

struct FaultInfo {
    uint32_t code;     // platform fault code (0xC0000005 for an access violation)
    void* address;     // where the fault happened
    uint32_t info1;    // second information word of the fault record (the address accessed)
};

using GuardedFn = void (*)(void* arg);

// Runs fn(arg). A fault inside it is absorbed: returns true and fills info. fn must hold no
// live objects with destructors at the points where it may fault (they are skipped).
bool RunRecoverGuard(GuardedFn fn, void* arg, FaultInfo* info);

// Runs fn(arg). A fault inside it calls report(info, context) once and is then passed on to
// the process's own fault handling: the guarded call does not return.
using FaultReportFn = void (*)(const FaultInfo& info, void* context);
void RunDispatchGuard(GuardedFn fn, void* arg, FaultReportFn report, void* context);

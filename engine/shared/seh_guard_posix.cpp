// Native fault guards. Both jump back out of a SIGSEGV/SIGBUS handler to the guard's own
// frame (instrumented code must not run on the signal frame); the dispatch guard then reports
// the fault and raises it again with the default action, so the process ends as it would on
// Windows after the fault is passed on.
#include <setjmp.h>
#include <signal.h>

#include <cstring>

#include "seh_guard.h"

namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;

struct GuardState {
    sigjmp_buf* jump = nullptr;
    FaultInfo* info = nullptr;
    int* signal_number = nullptr;
};

thread_local GuardState t_guard;

// Not instrumented: it runs on the signal frame, which the address sanitizer does not know.
__attribute__((no_sanitize("address", "undefined"))) void FaultSignalHandler(int sig, siginfo_t* si, void*) {
    if (!t_guard.jump) {
        signal(sig, SIG_DFL);  // not inside a guard: the faulting access repeats and ends the process
        return;
    }
    t_guard.info->code = kAccessViolation;
    t_guard.info->address = si ? si->si_addr : nullptr;
    t_guard.info->info1 = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(si ? si->si_addr : nullptr));
    *t_guard.signal_number = sig;
    siglongjmp(*t_guard.jump, 1);
}

struct SignalScope {
    struct sigaction old_segv, old_bus;
    SignalScope() {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof(sa));
        sa.sa_sigaction = FaultSignalHandler;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGSEGV, &sa, &old_segv);
        sigaction(SIGBUS, &sa, &old_bus);
    }
    void Restore() {
        sigaction(SIGSEGV, &old_segv, nullptr);
        sigaction(SIGBUS, &old_bus, nullptr);
    }
};

// Runs fn inside a jump target; true when it faulted.
bool RunCatching(GuardedFn fn, void* arg, FaultInfo* info, int* signal_number) {
    sigjmp_buf jump;
    GuardState saved = t_guard;
    SignalScope scope;
    if (sigsetjmp(jump, 1) == 0) {
        t_guard = {&jump, info, signal_number};
        fn(arg);
        t_guard = saved;
        scope.Restore();
        return false;
    }
    t_guard = saved;
    scope.Restore();
    return true;
}

}  // namespace

bool RunRecoverGuard(GuardedFn fn, void* arg, FaultInfo* info) {
    FaultInfo local{};
    int signal_number = 0;
    if (!RunCatching(fn, arg, &local, &signal_number)) return false;
    if (info) *info = local;
    return true;
}

void RunDispatchGuard(GuardedFn fn, void* arg, FaultReportFn report, void* context) {
    FaultInfo info{};
    int signal_number = 0;
    if (!RunCatching(fn, arg, &info, &signal_number)) return;
    if (report) report(info, context);
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

// Native fault guards. The recover guard jumps back out of a SIGSEGV/SIGBUS handler; the
// dispatch guard reports the fault, restores the default action and lets the fault repeat,
// so the process ends as it would on Windows after the fault is passed on.
#include <setjmp.h>
#include <signal.h>

#include <cstring>

#include "seh_guard.h"

namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;

struct GuardState {
    sigjmp_buf* recover = nullptr;
    FaultInfo* recover_info = nullptr;
    FaultReportFn report = nullptr;
    void* report_context = nullptr;
};

thread_local GuardState t_guard;

void FaultSignalHandler(int sig, siginfo_t* si, void*) {
    FaultInfo info{kAccessViolation, si ? si->si_addr : nullptr,
                   static_cast<uint32_t>(reinterpret_cast<uintptr_t>(si ? si->si_addr : nullptr))};
    if (t_guard.recover) {
        *t_guard.recover_info = info;
        siglongjmp(*t_guard.recover, 1);
    }
    if (t_guard.report) {
        FaultReportFn report = t_guard.report;
        t_guard.report = nullptr;
        report(info, t_guard.report_context);
    }
    // Not ours to absorb: fall back to the default action; the faulting access repeats.
    signal(sig, SIG_DFL);
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
    ~SignalScope() {
        sigaction(SIGSEGV, &old_segv, nullptr);
        sigaction(SIGBUS, &old_bus, nullptr);
    }
};

}  // namespace

bool RunRecoverGuard(GuardedFn fn, void* arg, FaultInfo* info) {
    FaultInfo local{};
    sigjmp_buf jump;
    GuardState saved = t_guard;
    SignalScope scope;
    if (sigsetjmp(jump, 1) == 0) {
        t_guard.recover = &jump;
        t_guard.recover_info = &local;
        fn(arg);
        t_guard = saved;
        return false;
    }
    t_guard = saved;
    if (info) *info = local;
    return true;
}

void RunDispatchGuard(GuardedFn fn, void* arg, FaultReportFn report, void* context) {
    GuardState saved = t_guard;
    SignalScope scope;
    t_guard.recover = nullptr;
    t_guard.report = report;
    t_guard.report_context = context;
    fn(arg);
    t_guard = saved;
}

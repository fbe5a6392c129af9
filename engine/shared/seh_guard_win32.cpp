// Structured-exception guards for i686 mingw: explicit registration records on the stack.
#include <windows.h>

#include "seh_guard.h"

namespace {

struct SehRecord {
    SehRecord* prev;
    void* handler;
};

inline SehRecord* SehHead() {
    SehRecord* r;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(r));
    return r;
}

inline void SehSet(SehRecord* r) {
    __asm__ volatile("movl %0, %%fs:0" ::"r"(r) : "memory");
}

// The record must come first: the handler receives its address as the frame.
struct RecoverFrame {
    SehRecord rec;
    void* jump[5];
    FaultInfo info;
};

struct DispatchFrame {
    SehRecord rec;
    FaultReportFn report;
    void* context;
    volatile LONG reported;
};

bool IsUnwinding(const EXCEPTION_RECORD* er) {
    return (er->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0;
}

FaultInfo InfoOf(const EXCEPTION_RECORD* er) {
    FaultInfo info;
    info.code = er->ExceptionCode;
    info.address = er->ExceptionAddress;
    info.info1 = er->NumberParameters > 1 ? static_cast<uint32_t>(er->ExceptionInformation[1]) : 0;
    return info;
}

extern "C" EXCEPTION_DISPOSITION __cdecl RecoverHandler(EXCEPTION_RECORD* er, void* frame, CONTEXT*, void*) {
    if (IsUnwinding(er)) return ExceptionContinueSearch;
    auto* f = static_cast<RecoverFrame*>(frame);
    f->info = InfoOf(er);
    SehSet(f->rec.prev);  // unlink this record and every newer one
    __builtin_longjmp(f->jump, 1);
}

extern "C" EXCEPTION_DISPOSITION __cdecl DispatchHandler(EXCEPTION_RECORD* er, void* frame, CONTEXT*, void*) {
    if (IsUnwinding(er)) return ExceptionContinueSearch;
    auto* f = static_cast<DispatchFrame*>(frame);
    if (InterlockedExchange(&f->reported, 1) == 0 && f->report) f->report(InfoOf(er), f->context);
    return ExceptionContinueSearch;  // pass the fault on: the process's own handling ends it
}

}  // namespace

__attribute__((noinline)) bool RunRecoverGuard(GuardedFn fn, void* arg, FaultInfo* info) {
    RecoverFrame f;
    f.info = {};
    f.rec.prev = SehHead();
    f.rec.handler = reinterpret_cast<void*>(RecoverHandler);
    if (__builtin_setjmp(f.jump) == 0) {
        SehSet(&f.rec);
        fn(arg);
        SehSet(f.rec.prev);
        return false;
    }
    // fs:[0] was restored by the handler.
    if (info) *info = f.info;
    return true;
}

__attribute__((noinline)) void RunDispatchGuard(GuardedFn fn, void* arg, FaultReportFn report, void* context) {
    DispatchFrame f;
    f.rec.prev = SehHead();
    f.rec.handler = reinterpret_cast<void*>(DispatchHandler);
    f.report = report;
    f.context = context;
    f.reported = 0;
    SehSet(&f.rec);
    fn(arg);
    SehSet(f.rec.prev);
}

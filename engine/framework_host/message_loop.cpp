#include "message_loop.h"

#include <atomic>
#include <cstdlib>

#include "crash_log.h"
#include "engine_tables.h"
#include "engine_tick.h"
#include "message_ids.h"
#include "message_object.h"
#include "platform.h"
#include "seh_guard.h"

namespace {

constexpr uint32_t kStartWaitMs = 10000;
constexpr uint32_t kStopWaitMs = 3000;
// Code logged for a C++ exception that escaped a handler (the platform's code for one).
constexpr uint32_t kCppExceptionCode = 0xE06D7363;

void* g_start_event = nullptr;
void* g_thread = nullptr;
uint32_t g_thread_id = 0;
bool g_terminated = false;
std::atomic<CMessageObject*> g_manager{nullptr};


// ---- logging one faulty message, itself guarded ----

struct ErrorRecord {
    uint32_t code;
    const FrameworkMessage* msg;
};

void WriteErrorRecords(void* arg) {
    const auto* r = static_cast<const ErrorRecord*>(arg);
    const FrameworkMessage& m = *r->msg;
    CoreLogPrintf("error in message handling(%#lx): msg=[%p, %p, %d, %p, %p, %p, %p, %p]",
                  static_cast<unsigned long>(r->code), FromWord<void>(m.target), FromWord<void>(m.sender),
                  static_cast<int>(m.id), FromWord<void>(m.p1), FromWord<void>(m.p2), FromWord<void>(m.p3), FromWord<void>(m.p4),
                  FromWord<void>(m.extra));
    WriteCrashLog("error(%#lx): [%p, %p, %d, %p, %p, %p, %p, %p]\n", static_cast<unsigned long>(r->code),
                  FromWord<void>(m.target), FromWord<void>(m.sender), static_cast<int>(m.id), FromWord<void>(m.p1),
                  FromWord<void>(m.p2), FromWord<void>(m.p3), FromWord<void>(m.p4), FromWord<void>(m.extra));
}

// ---- the two guards of the loop ----

struct ValidityRead {
    const void* target;
    uint32_t word;
};

void ReadTargetValidity(void* arg) {
    auto* r = static_cast<ValidityRead*>(arg);
    r->word = ReadValidityWord(r->target);
}

struct Dispatch {
    CMessageObject* target;
    FrameworkMessage* msg;
};

void CallOnMessage(void* arg) {
    auto* d = static_cast<Dispatch*>(arg);
    // A C++ exception must not unwind through the guard's registration record: catch it here,
    // log it like a fault and end the process, as a fault passed on would.
    try {
        d->target->OnMessage(d->msg);
    } catch (...) {
        LogMessageHandlingError(kCppExceptionCode, d->msg, 0);
        std::abort();
    }
}

void ReportDispatchFault(const FaultInfo& info, void* context) {
    LogMessageHandlingError(info.code, static_cast<const FrameworkMessage*>(context), 0);
}

void DispatchGuarded(CMessageObject* target, FrameworkMessage* msg) {
    Dispatch d{target, msg};
    RunDispatchGuard(CallOnMessage, &d, ReportDispatchFault, msg);
}

void HandleInvalidTarget(const FrameworkMessage* msg) {
    // The message's blocks are not freed: the target may still own them.
    CoreLogText("handle message: invalid object");
    WriteCrashLog("handle message: invalid object");
    LogMessageHandlingError(0, msg, 0);
}

void DeliverToObject(FrameworkMessage* msg) {
    ValidityRead read{FromWord<void>(msg->target), 0};
    FaultInfo fault;
    if (RunRecoverGuard(ReadTargetValidity, &read, &fault)) {
        LogMessageHandlingError(fault.code, msg, 1);
        read.word = 0;  // unreadable counts as not alive
    }
    if (read.word == OBJECT_ALIVE) {
        DispatchGuarded(CMessageObject::FromTarget(msg->target), msg);
    } else {
        HandleInvalidTarget(msg);
    }
}

}  // namespace

void SetFrameworkManagerTarget(CMessageObject* manager) {
    g_manager.store(manager);
}

void CreateStartEvent() {
    if (!g_start_event) g_start_event = platform::CreateManualEvent();
}

void CloseStartEvent() {
    platform::CloseEvent(g_start_event);
    g_start_event = nullptr;
}

int LogMessageHandlingError(uint32_t code, const FrameworkMessage* msg, int result) {
    ErrorRecord record{code, msg};
    FaultInfo fault;
    if (RunRecoverGuard(WriteErrorRecords, &record, &fault)) {
        ExceptFilter(fault.code, fault.address, fault.info1);
    }
    return result;
}

uint32_t MessageLoopThread(void*) {
    platform::SetEvent(g_start_event);
    FrameworkMessage msg;
    while (CoreGetMessage(&msg)) {
        if (msg.target == 0) CoreLogPrintf("Framework Message %d", static_cast<int>(msg.id));
        if (msg.id == MSG_QUIT) break;
        if (msg.target == 0) {
            if (CMessageObject* manager = g_manager.load()) DispatchGuarded(manager, &msg);
        } else {
            DeliverToObject(&msg);
        }
    }
    return 0;
}

int StartMessageLoop() {
    if (g_thread) {
        CoreLogPrintf("message loop thread is already started %p", g_thread);
        return 1;
    }
    CreateStartEvent();
    platform::ResetEvent(g_start_event);
    g_terminated = false;
    g_thread = platform::CreateThread(MessageLoopThread, nullptr, &g_thread_id);
    if (g_thread) CoreWait(g_start_event, kStartWaitMs);
    return 1;
}

void StopMessageLoop() {
    if (!g_thread) {
        CoreLogText("message loop thread is already stopped!");
        return;
    }
    CorePostMessage(0, 0, MSG_QUIT, 0, 0, 0, 0);
    CoreLogPrintf("message loop thread staring: %d", static_cast<int>(EngineTick()));
    if (!platform::WaitForThread(g_thread, kStopWaitMs)) {
        platform::TerminateThread(g_thread);
        g_terminated = true;
    }
    CoreLogPrintf("message loop thread end: %d", static_cast<int>(EngineTick()));
    platform::CloseThread(g_thread);
    g_thread = nullptr;
    g_thread_id = 0;
}

bool MessageLoopWasTerminated() {
    return g_terminated;
}

#include "thread.h"

#include <objbase.h>

#include "application.h"
#include "exceptions.h"

namespace tk {
namespace {
struct SynchronizeRequest {
    const std::function<void()>* method;
    std::exception_ptr error;
};
}  // namespace

TK_CLASS_INFO(TThread, TObject)

TThread::TThread(bool createSuspended, bool initializeCom) : initializeCom_(initializeCom) {
    handle_ = CreateThread(nullptr, 0, &TThread::ThreadStart, this, CREATE_SUSPENDED, &threadId_);
    if (handle_ == nullptr) throw EThread(L"Thread creation error");
    if (!createSuspended) Start();
}

TThread::~TThread() {
    if (handle_ != nullptr) {
        if (!finished_) {
            Terminate();
            if (ResumeThread(handle_) != static_cast<DWORD>(-1)) WaitForSingleObject(handle_, INFINITE);
        }
        CloseHandle(handle_);
    }
}

void TThread::Start() { ResumeThread(handle_); }

DWORD TThread::WaitFor() {
    WaitForSingleObject(handle_, INFINITE);
    return returnValue_;
}

DWORD WINAPI TThread::ThreadStart(void* self) {
    auto* thread = static_cast<TThread*>(self);
    if (thread->initializeCom_) CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        thread->Execute();
    } catch (...) {
        thread->fatalException_ = std::current_exception();
    }
    if (thread->initializeCom_) CoUninitialize();
    DWORD result = thread->returnValue_;
    thread->finished_ = true;
    if (thread->freeOnTerminate_) delete thread;
    return result;
}

void TThread::Synchronize(const std::function<void()>& method) {
    if (Application == nullptr || Application->Handle() == nullptr ||
        GetCurrentThreadId() == Application->MainThreadId()) {
        method();
        return;
    }
    SynchronizeRequest request{&method, nullptr};
    SendMessageA(Application->Handle(), WM_TK_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&request));
    if (request.error) std::rethrow_exception(request.error);
}

void RunSynchronizeRequest(LPARAM lparam) {
    auto* request = reinterpret_cast<SynchronizeRequest*>(lparam);
    try {
        (*request->method)();
    } catch (...) {
        request->error = std::current_exception();
    }
}

}  // namespace tk

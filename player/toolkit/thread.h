// Worker threads. Execute runs on the new thread; an exception escaping it is kept in
// FatalException, never propagated. Synchronize runs a method on the GUI thread by a message
// sent to the application window, so it also runs while the GUI thread sits in a modal loop,
// a menu or a message box; an exception raised by the method is rethrown in the worker.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

#include "class_info.h"

namespace tk {

class TThread : public TObject {
    TK_CLASS(TThread)
public:
    explicit TThread(bool createSuspended, bool initializeCom = false);
    ~TThread() override;

    void Start();  // resumes a thread created suspended
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    DWORD WaitFor();
    HANDLE Handle() const { return handle_; }
    DWORD ThreadID() const { return threadId_; }
    bool Finished() const { return finished_; }
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool v) { freeOnTerminate_ = v; }
    DWORD ReturnValue() const { return returnValue_; }
    std::exception_ptr FatalException() const { return fatalException_; }

    // Runs `method` on the GUI thread and waits for it; directly when already there.
    static void Synchronize(const std::function<void()>& method);

protected:
    virtual void Execute() = 0;
    void SetReturnValue(DWORD v) { returnValue_ = v; }

private:
    static DWORD WINAPI ThreadStart(void* self);

    HANDLE handle_ = nullptr;
    DWORD threadId_ = 0;
    volatile bool terminated_ = false;
    volatile bool finished_ = false;
    bool freeOnTerminate_ = false;
    bool initializeCom_ = false;
    DWORD returnValue_ = 0;
    std::exception_ptr fatalException_;
};

// The application window's side of Synchronize (lParam: the request).
void RunSynchronizeRequest(LPARAM request);

}  // namespace tk

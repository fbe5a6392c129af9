#include "timer.h"

#include <map>

#include "error_report.h"
#include "window_class.h"

namespace tk {
namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static auto* timers = new std::map<UINT_PTR, TTimer*>();
    return *timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR next = 0;
    return ++next;
}
}  // namespace

TK_CLASS_INFO(TTimer, TComponent)

HWND UtilWindow(WNDPROC proc) {
    static HWND window = [proc] {
        EnsureUtilityClass("TUtilWindow", proc);
        return CreateWindowExA(0, "TUtilWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }();
    return window;
}

LRESULT CALLBACK TTimer::UtilWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_TIMER) {
        auto found = Timers().find(wparam);
        if (found != Timers().end()) {
            TTimer* timer = found->second;
            GuardCallback([&] {
                if (timer->OnTimer) timer->OnTimer(timer);
            });
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner), id_(NextTimerId()) {
    Timers()[id_] = this;
    UpdateTimer();
}

TTimer::~TTimer() {
    BeginDestroy();
    if (running_) KillTimer(UtilWindow(UtilWindowProc), id_);
    Timers().erase(id_);
}

void TTimer::SetEnabled(bool v) {
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
    interval_ = v;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    HWND util = UtilWindow(UtilWindowProc);
    if (running_) KillTimer(util, id_);
    running_ = false;
    // A timer being read from its form starts once the form is loaded.
    if (enabled_ && interval_ != 0 && !Loading()) running_ = SetTimer(util, id_, interval_, nullptr) != 0;
}

}  // namespace tk

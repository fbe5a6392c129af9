// Timers of the GUI thread: all share one message-only "TUtilWindow"; each enabled timer is a
// SetTimer on it. WM_TIMER is dispatched by every message loop (menus and modal loops too).
#pragma once

#include "control.h"

namespace tk {

class TTimer : public TComponent {
    TK_CLASS(TTimer)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned v);
    TNotifyEvent OnTimer;

    void Loaded() override;

private:
    void UpdateTimer();
    static LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

    bool enabled_ = true;
    unsigned interval_ = 1000;
    UINT_PTR id_;
    bool running_ = false;
};

}  // namespace tk

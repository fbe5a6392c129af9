#include "notify_window.h"

#if defined(_WIN32)
#include <windows.h>

#include "ipv4_text.h"
#include "json_line.h"
#include "outside_abi.h"

namespace {
LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= 3025 && message <= 3027) {
        PrintEvent("notify", JsonObject()
                                 .Int("msg", message)
                                 .Str("wparam", IPv4Text(static_cast<uint32_t>(wparam)))
                                 .Int("lparam", static_cast<uint32_t>(lparam)));
        return 0;
    }
    return ::DefWindowProcA(window, message, wparam, lparam);
}
}  // namespace

uint32_t CreateNotifyWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QebNotifyWindow";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
    return ToWord(window);
}

void PumpNotifyMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
#else
uint32_t CreateNotifyWindow() {
    return 0;
}

void PumpNotifyMessages() {}
#endif

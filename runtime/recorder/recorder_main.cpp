// The recording tool: one top-level window with the caption the player looks for. The player
// starts it from its menu and closes it with WM_CLOSE when the player itself closes.
#include <windows.h>

#include "recorder_log.h"

namespace {
const wchar_t kWindowClass[] = L"RovaskWnd";
const wchar_t kCaption[] = L"Kestrav卫星网络电视[录像]";

LRESULT CALLBACK RecorderWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        RecorderLog("WM_CLOSE");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RecorderLog("start pid=%lu", GetCurrentProcessId());
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecorderWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, kWindowClass, kCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                                  WS_MINIMIZEBOX | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 320, 120,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    RecorderLog("exit 0");
    return 0;
}

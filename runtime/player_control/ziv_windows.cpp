// The control's windows: the control window under the host's window, the video window of its
// own class (so that clicks on the picture land on a child of the control window), the button
// bar and the settings line, and the full-screen popup.
#include <windowsx.h>

#include <string>

#include "ziv_control.h"
#include "ziv_log.h"

namespace ziv {
namespace {
const wchar_t kControlClass[] = L"QuorvaneZIVCtl";
const wchar_t kVideoClass[] = L"QuorvaneZIVVideo";
const wchar_t kBarClass[] = L"QuorvaneZIVBar";
const wchar_t kInfoClass[] = L"QuorvaneZIVInfo";
const wchar_t kFullScreenClass[] = L"QuorvaneZIVFull";
constexpr int kBarHeight = 24;
constexpr int kInfoHeight = 18;
enum BarButton { kBarPlay = 1, kBarPause = 2, kBarStop = 3 };

ZivControl* ControlOf(HWND window) { return reinterpret_cast<ZivControl*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_SIZE)
        if (ZivControl* control = ControlOf(window)) control->Layout();
    if (msg == kFetchStarted || msg == kFetchEnded || msg == kFetchCounted) {
        if (ZivControl* control = ControlOf(window)) control->OnFetchNote(msg, wparam);
        return 0;
    }
    return DefWindowProcW(window, msg, wparam, lparam);
}

LRESULT CALLBACK VideoWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    ZivControl* control = ControlOf(window);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area;
        GetClientRect(window, &area);
        if (control != nullptr) control->PaintVideo(dc, area);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_RBUTTONDOWN:
        if (control != nullptr) control->OnVideoRightButton(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        break;
    case WM_LBUTTONDBLCLK:
        if (control != nullptr) control->LeaveFullScreen();
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE && control != nullptr) control->LeaveFullScreen();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wparam, lparam);
}

LRESULT CALLBACK BarWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SIZE: {
        int width = LOWORD(lparam) / 3;
        for (int id = kBarPlay; id <= kBarStop; ++id)
            MoveWindow(GetDlgItem(window, id), (id - 1) * width, 0, width, HIWORD(lparam), TRUE);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED)
            if (ZivControl* control = ControlOf(window)) control->OnBarCommand(LOWORD(wparam));
        return 0;
    default:
        return DefWindowProcW(window, msg, wparam, lparam);
    }
}

LRESULT CALLBACK InfoWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
        wchar_t text[512];
        int length = GetWindowTextW(window, text, 512);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, text, length, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, msg, wparam, lparam);
}

LRESULT CALLBACK FullScreenWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CLOSE || (msg == WM_KEYDOWN && wparam == VK_ESCAPE)) {
        if (ZivControl* control = ControlOf(window)) control->LeaveFullScreen();
        return 0;
    }
    return DefWindowProcW(window, msg, wparam, lparam);
}

void RegisterOne(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, name, &wc)) return;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

void RegisterClasses() {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterOne(kControlClass, ControlWindowProc, 0, black);
    RegisterOne(kVideoClass, VideoWindowProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, black);
    RegisterOne(kBarClass, BarWindowProc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RegisterOne(kInfoClass, InfoWindowProc, CS_HREDRAW | CS_VREDRAW, nullptr);
    RegisterOne(kFullScreenClass, FullScreenWindowProc, 0, black);
}

HWND CreateChild(const wchar_t* className, HWND parent, DWORD style, ZivControl* control) {
    HWND window = CreateWindowExW(0, className, L"", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent, nullptr,
                                  g_module, nullptr);
    if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    return window;
}
}  // namespace

bool ZivControl::CreateWindows(HWND parent, const RECT& position) {
    RegisterClasses();
    window_ = CreateWindowExW(0, kControlClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                              position.left, position.top, position.right - position.left,
                              position.bottom - position.top, parent, nullptr, g_module, nullptr);
    if (window_ == nullptr) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    video_ = CreateChild(kVideoClass, window_, WS_VISIBLE, this);
    bar_ = CreateChild(kBarClass, window_, WS_CLIPCHILDREN, this);
    info_ = CreateChild(kInfoClass, window_, 0, this);
    const wchar_t* captions[] = {L"Play", L"Pause", L"Stop"};
    for (int id = kBarPlay; id <= kBarStop; ++id)
        CreateWindowExW(0, L"Button", captions[id - 1], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0, bar_,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), g_module, nullptr);
    if (info_ != nullptr) SetWindowTextW(info_, settingsLine_.c_str());
    UpdateChildren();
    if (fullScreen_) {
        fullScreen_ = false;
        EnterFullScreen();
    }
    UpdateFetch();  // an address put before activation is fetched from now on
    return true;
}

void ZivControl::DestroyWindows() {
    if (fullScreenWindow_ != nullptr) {
        DestroyWindow(fullScreenWindow_);  // takes the video window with it when it is inside
        fullScreenWindow_ = nullptr;
    }
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    window_ = video_ = bar_ = info_ = nullptr;
}

void ZivControl::UpdateChildren() {
    if (window_ == nullptr) return;
    if (bar_ != nullptr) ShowWindow(bar_, showPlayControl_ ? SW_SHOW : SW_HIDE);
    if (info_ != nullptr) ShowWindow(info_, showP2PInfo_ ? SW_SHOW : SW_HIDE);
    Layout();
}

void ZivControl::Layout() {
    if (window_ == nullptr) return;
    RECT client;
    GetClientRect(window_, &client);
    int bottom = client.bottom;
    if (showPlayControl_ && bar_ != nullptr) {
        bottom -= kBarHeight;
        MoveWindow(bar_, 0, bottom, client.right, kBarHeight, TRUE);
    }
    if (showP2PInfo_ && info_ != nullptr) {
        bottom -= kInfoHeight;
        MoveWindow(info_, 0, bottom, client.right, kInfoHeight, TRUE);
    }
    if (!fullScreen_ && video_ != nullptr) MoveWindow(video_, 0, 0, client.right, bottom > 0 ? bottom : 0, TRUE);
}

void ZivControl::EnterFullScreen() {
    if (fullScreen_) return;
    fullScreen_ = true;
    if (video_ == nullptr) return;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    fullScreenWindow_ = CreateWindowExW(WS_EX_TOPMOST, kFullScreenClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                        nullptr, nullptr, g_module, nullptr);
    if (fullScreenWindow_ == nullptr) {
        fullScreen_ = false;
        return;
    }
    SetWindowLongPtrW(fullScreenWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetParent(video_, fullScreenWindow_);
    MoveWindow(video_, 0, 0, width, height, TRUE);
    SetFocus(video_);
}

void ZivControl::LeaveFullScreen() {
    if (!fullScreen_) return;
    fullScreen_ = false;
    if (video_ != nullptr && window_ != nullptr) SetParent(video_, window_);
    if (fullScreenWindow_ != nullptr) DestroyWindow(fullScreenWindow_);
    fullScreenWindow_ = nullptr;
    Layout();
}

void ZivControl::PaintVideo(HDC dc, const RECT& area) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    std::wstring text = L"URL: " + playback_.Url() + L"\r\nState: " + std::to_wstring(playback_.State()) +
                        L"\r\nChannel: " + playback_.ChannelName() + L"\r\nMute: " + (mute_ ? L"on" : L"off");
    if (FetchModeOn()) text += L"\r\nBytes: " + std::to_wstring(fetch_.Bytes());
    RECT box = area;
    InflateRect(&box, -8, -8);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_TOP | DT_NOPREFIX);
}

void ZivControl::OnBarCommand(int command) {
    AddRef();
    switch (command) {
    case kBarPlay: Log("bar play"); Raise(playback_.Play()); break;
    case kBarPause: Log("bar pause"); Raise(playback_.Pause()); break;
    case kBarStop: Log("bar stop"); Raise(playback_.Stop()); break;
    default: break;
    }
    Release();
}

void ZivControl::OnVideoRightButton(int x, int y) { Log("rbutton %d,%d", x, y); }

}  // namespace ziv

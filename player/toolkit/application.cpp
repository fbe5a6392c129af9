#include "application.h"

#include <ole2.h>

#include "application_events.h"
#include "control_atom.h"
#include "error_report.h"
#include "exceptions.h"
#include "screen.h"
#include "thread.h"
#include "window_class.h"

namespace tk {

// Made before the main block runs and never freed: nothing may depend on orderly shutdown.
TApplication* Application = new TApplication();

TK_CLASS_INFO(TApplication, TComponent)

namespace {
LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_TK_SYNCHRONIZE) {
        RunSynchronizeRequest(lparam);
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}
}  // namespace

TApplication::TApplication() : TComponent(nullptr), mainThreadId_(GetCurrentThreadId()) {}

void TApplication::Initialize() {
    if (handle_ != nullptr) return;
    OleInitialize(nullptr);
    mainThreadId_ = GetCurrentThreadId();
    ControlAtom();
    EnsureUtilityClass("TApplication", ApplicationWindowProc);
    handle_ = CreateWindowExA(0, "TApplication", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    if (handle_ == nullptr) throw EOutOfResources(L"Error creating window");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_ = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 32, 32, 0));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 16, 16, 0));
    if (icon_ == nullptr) icon_ = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    if (smallIcon_ == nullptr) smallIcon_ = icon_;
    SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    if (!title_.empty()) SetWindowTextW(handle_, title_.c_str());
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (handle_ != nullptr) SetWindowTextW(handle_, title.c_str());
}

void TApplication::FormDestroyed(TCustomForm* form) {
    if (form == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
    if (mainForm_ != nullptr) mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg) && !terminated_) WaitMessage();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    DispatchOne(msg);
    return true;
}

void TApplication::DispatchOne(MSG& msg) {
    bool handled = false;
    GuardCallback([&] { handled = DispatchApplicationMessage(msg); });
    if (handled) return;
    if (IsDialogKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool TApplication::IsDialogKey(const MSG& msg) {
    bool candidate = msg.message == WM_SYSKEYDOWN ||
                     (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_RETURN ||
                                                    msg.wParam == VK_ESCAPE || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN)));
    if (!candidate) return false;
    TCustomForm* form = GetParentForm(ControlOfWindow(msg.hwnd));
    if (form == nullptr) {
        HWND top = GetAncestor(msg.hwnd, GA_ROOT);
        form = DynamicCast<TCustomForm>(ControlOfWindow(top));
    }
    if (form == nullptr || !form->HandleAllocated()) return false;
    return SendMessageA(form->Handle(), CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::HandleException(const Exception& error) { tk::HandleException(error); }

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return MessageBoxW(DialogOwner(), text.c_str(), caption.c_str(), flags);
}

HWND TApplication::DialogOwner() const {
    if (Screen != nullptr)
        if (TCustomForm* active = Screen->ActiveForm()) return active->Handle();
    return handle_;
}

int TApplication::Win32Platform() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return static_cast<int>(info.dwPlatformId);
}

void ProcessThreadMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace tk

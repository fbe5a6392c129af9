#include "window_class.h"

#include <commctrl.h>

#include <map>
#include <string>

#include "exceptions.h"
#include "text_convert.h"
#include "win_control.h"

namespace tk {
namespace {
std::map<std::string, WNDPROC>& Registered() {
    static auto* registered = new std::map<std::string, WNDPROC>();
    return *registered;
}

void InitCommonControlsOnce() {
    static bool done = [] {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                                      ICC_BAR_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

[[noreturn]] void RegistrationFailed(const std::string& name) {
    throw EOutOfResources(L"Cannot register window class " + Utf8ToWide(name));
}
}  // namespace

WNDPROC EnsureWindowClass(const TCreateParams& params, WNDPROC layerProc) {
    auto found = Registered().find(params.WinClassName);
    if (found != Registered().end()) return found->second;
    WNDCLASSA wc = {};
    WNDPROC systemProc = nullptr;
    if (params.SystemClass != nullptr) {
        InitCommonControlsOnce();
        if (!GetClassInfoA(nullptr, params.SystemClass, &wc)) RegistrationFailed(params.SystemClass);
        systemProc = wc.lpfnWndProc;
        wc.style &= ~CS_GLOBALCLASS;
    } else {
        wc.style = params.ClassStyle;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    }
    wc.lpfnWndProc = layerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&wc)) RegistrationFailed(params.WinClassName);
    Registered()[params.WinClassName] = systemProc;
    return systemProc;
}

void EnsureUtilityClass(const char* name, WNDPROC proc) {
    if (Registered().count(name) != 0) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc)) RegistrationFailed(name);
    Registered()[name] = nullptr;
}

}  // namespace tk

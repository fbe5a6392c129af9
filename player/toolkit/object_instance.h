// Callable instances: a window procedure bound to an object. Each instance is a 12-byte stub in
// executable memory (pop eax; push object; push eax; jmp target) that turns a call
// WndProc(hwnd, msg, wparam, lparam) into target(object, hwnd, msg, wparam, lparam).
// The skin engine replaces window procedures with these. GUI thread only.
#pragma once

#include <windows.h>

namespace tk {

using TObjectWndProc = LRESULT(__stdcall*)(void* object, HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

WNDPROC MakeObjectInstance(void* object, TObjectWndProc target);  // null when memory runs out
void FreeObjectInstance(WNDPROC instance);

}  // namespace tk

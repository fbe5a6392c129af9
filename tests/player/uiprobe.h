// The protocol between uiquery.exe and uiprobe.dll. Menus and the items of common controls live
// in the player's process, where another process cannot read them under every host: wine keeps
// menus per process, and without ptrace (32-bit wine under a user-mode emulator) it cannot read
// or write another process's memory either. So uiquery hooks the player's GUI thread with the
// probe, which Windows and wine load into the player, and asks its question there:
//   1. uiquery creates the shared block named ProbeBlockName(its pid) and writes the request;
//   2. it sets a WH_CALLWNDPROC hook from uiprobe.dll on the thread of the target window and
//      sends that window kProbeMessage with its pid as wParam;
//   3. the probe, inside the player, answers into the block before the send returns.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

inline constexpr wchar_t kProbeMessage[] = L"uiquery probe";
inline constexpr char kProbeHookName[] = "ProbeHook";
inline constexpr wchar_t kProbeDll[] = L"uiprobe.dll";

// The request is the command and its arguments, one per line; the answer is one JSON line.
struct ProbeBlock {
    wchar_t request[2048];
    char answer[256 * 1024];
};

inline std::wstring ProbeBlockName(DWORD processId) { return L"uiquery.probe." + std::to_wstring(processId); }

}  // namespace ui

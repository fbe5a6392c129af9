// User-interface functions that older systems lack, looked up by name in user32 once, so the
// engine runs (with less skinning) where one is missing.
#pragma once

#include <windows.h>

namespace skin {

struct OptionalUser32 {
    BOOL(WINAPI* getScrollBarInfo)(HWND, LONG, PSCROLLBARINFO) = nullptr;
    BOOL(WINAPI* trackMouseEvent)(LPTRACKMOUSEEVENT) = nullptr;
    BOOL(WINAPI* getComboBoxInfo)(HWND, PCOMBOBOXINFO) = nullptr;
};

// The table, looked up on first use. An entry is nullptr when the system lacks the function.
const OptionalUser32& OptionalUser32Functions();
// Replaces the table (tests make an entry missing) and returns the one it replaces.
OptionalUser32 SetOptionalUser32Functions(const OptionalUser32& functions);

// False when GetScrollBarInfo is missing, else whether it succeeded. The caller sets cbSize.
bool SafeGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info);
// Asks for WM_MOUSELEAVE on window, where TrackMouseEvent exists.
void TrackMouseLeave(HWND window);

}  // namespace skin

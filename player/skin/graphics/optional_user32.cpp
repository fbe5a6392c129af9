#include "optional_user32.h"

#include <utility>

namespace skin {
namespace {

template <class Function>
void LookUp(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Holds the library while the program runs, like any unit that looked functions up in it.
struct User32Library {
    HMODULE handle = LoadLibraryA("user32.dll");
    OptionalUser32 functions;
    User32Library() {
        if (handle == nullptr) return;
        LookUp(handle, "GetScrollBarInfo", functions.getScrollBarInfo);
        LookUp(handle, "TrackMouseEvent", functions.trackMouseEvent);
        LookUp(handle, "GetComboBoxInfo", functions.getComboBoxInfo);
    }
    ~User32Library() {
        if (handle != nullptr) FreeLibrary(handle);
    }
};

OptionalUser32& Table() {
    static User32Library library;
    return library.functions;
}

}  // namespace

const OptionalUser32& OptionalUser32Functions() { return Table(); }

OptionalUser32 SetOptionalUser32Functions(const OptionalUser32& functions) { return std::exchange(Table(), functions); }

bool SafeGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info) {
    auto getScrollBarInfo = OptionalUser32Functions().getScrollBarInfo;
    return getScrollBarInfo != nullptr && getScrollBarInfo(window, objectId, &info) != FALSE;
}

void TrackMouseLeave(HWND window) {
    auto trackMouseEvent = OptionalUser32Functions().trackMouseEvent;
    if (trackMouseEvent == nullptr) return;
    TRACKMOUSEEVENT request = {};
    request.cbSize = sizeof request;  // 16 bytes
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = window;
    trackMouseEvent(&request);
}

}  // namespace skin

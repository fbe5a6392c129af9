// The menu loop of a menu-bar popup: while TrackPopupMenu runs, a thread message-filter hook
// watches the loop's messages. One loop runs at a time, so its state is one for the program
// and belongs to the GUI thread.
#pragma once

#include <windows.h>

namespace tk {
class TMenuItem;
}

namespace skin {

class TWinSkinMenu;

struct MenuLoopState {
    HHOOK Hook = nullptr;
    TWinSkinMenu* Current = nullptr;     // the bar whose popup is open
    int CurrentIndex = -1;               // its item, -1 when none
    tk::TMenuItem* SelectedItem = nullptr;  // the toolkit item last selected in the popup
    // The popup's first item is selected by a posted Down key once; set when that was done.
    bool FirstMessageDone = false;
    bool Moved = false;        // the loop is handing over to another bar item
    bool SwitchPosted = false;
    POINT LastMouse{};
};

MenuLoopState& MenuLoop();

// Starts watching the loop for bar (the hook is installed once).
void InstallMenuHook(TWinSkinMenu& bar);
void RemoveMenuHook();
LRESULT CALLBACK MenuMsgFilterProc(int code, WPARAM wParam, LPARAM lParam);

}  // namespace skin

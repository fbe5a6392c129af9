// The window procedure and the form's WindowProc a skinner puts in front of a window. Both
// point at this relay, not at the skinner, so they can be given back in any order: when someone
// subclassed the window (or hooked the form) after the skinner, the relay cannot be taken out of
// the chain; it then stays behind, passes every message straight on, and frees itself with the
// window's last message.
#pragma once

#include <windows.h>

#include "messages.h"

namespace tk {
class TCustomForm;
}

namespace skin {

class TWinSkinForm;

class ProcedureRelay {
public:
    // Replaces the window's procedure (W or A set by unicode); null when no instance can be made.
    static ProcedureRelay* Install(TWinSkinForm* skinner, HWND window, bool unicode);
    // Puts the relay in front of the form's WindowProc.
    void HookForm(tk::TCustomForm* form);

    WNDPROC OldWndProc() const { return oldWndProc_; }
    const tk::TWndMethod& OldFormProc() const { return oldFormProc_; }
    WNDPROC Instance() const { return instance_; }
    tk::TWndMethod FormMethod();

    // The skinner lets go: each procedure still on top of its chain gets its predecessor back.
    // The relay frees itself at once when both were on top; the pointer is then dead.
    void Release();

private:
    ProcedureRelay(TWinSkinForm* skinner, HWND window, bool unicode)
        : skinner_(skinner), window_(window), unicode_(unicode) {}
    ~ProcedureRelay();

    static LRESULT __stdcall WindowEntry(void* self, HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    static void FormEntry(void* self, tk::TMessage& message);

    TWinSkinForm* skinner_;  // none once released
    HWND window_;
    bool unicode_;
    WNDPROC instance_ = nullptr;
    WNDPROC oldWndProc_ = nullptr;
    tk::TCustomForm* form_ = nullptr;
    tk::TWndMethod oldFormProc_;
    bool windowInChain_ = false;  // others may still call instance_
    bool formInChain_ = false;    // others may still call FormEntry
};

}  // namespace skin

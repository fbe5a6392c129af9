#include "control_atom.h"

#include "control_atom_name.h"

namespace tk {

ATOM ControlAtom() {
    static ATOM atom = GlobalAddAtomA(
        ControlAtomName(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), GetCurrentThreadId()).c_str());
    return atom;
}

void AttachControl(HWND window, TWinControl* control) {
    SetPropA(window, MAKEINTATOM(ControlAtom()), reinterpret_cast<HANDLE>(control));
}

void DetachControl(HWND window) { RemovePropA(window, MAKEINTATOM(ControlAtom())); }

TWinControl* AttachedControl(HWND window) {
    if (window == nullptr) return nullptr;
    return reinterpret_cast<TWinControl*>(GetPropA(window, MAKEINTATOM(ControlAtom())));
}

}  // namespace tk

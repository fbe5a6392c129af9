// Registration of the layer's Win32 classes: once per toolkit class, ANSI (RegisterClassA), with
// the program's instance handle. A system class is superclassed under the toolkit name: the same
// class information with the layer's procedure; the system procedure is kept for the default.
#pragma once

#include <windows.h>

namespace tk {

struct TCreateParams;

// Registers params.WinClassName when needed; returns the superclassed system procedure (null
// for an own class). Throws EOutOfResources when the class cannot be registered.
WNDPROC EnsureWindowClass(const TCreateParams& params, WNDPROC layerProc);

// A hidden utility class (no toolkit control): registered once with the given procedure.
void EnsureUtilityClass(const char* name, WNDPROC proc);

}  // namespace tk

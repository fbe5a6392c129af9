// The name of the window property that maps a window to its toolkit control:
// "ControlOfs" + the module handle and the GUI thread id, each as 8 upper-case hex digits.
// The skin engine computes it with this same function.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

std::string ControlAtomName(uintptr_t moduleHandle, uint32_t threadId);

}  // namespace tk

#include "control_atom_name.h"

#include <cstdio>

namespace tk {

std::string ControlAtomName(uintptr_t moduleHandle, uint32_t threadId) {
    char name[40];
    std::snprintf(name, sizeof name, "ControlOfs%.8X%.8X", static_cast<unsigned>(moduleHandle),
                  static_cast<unsigned>(threadId));
    return name;
}

}  // namespace tk

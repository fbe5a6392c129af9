// Every stand-in module binds the engine core and the network library by bare name when it is
// loaded, as the media relay module does. Include this in exactly one source of each module.
#pragma once

#include "engine_tables.h"

namespace module_binding {
struct BindAtLoad {
    BindAtLoad() {
        BindCoreLibrary();
        BindNetLibrary();
    }
};
inline BindAtLoad g_bind_at_load;
}  // namespace module_binding

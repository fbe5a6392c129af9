// VOR's load-time initialisation, in this order: the module-name queue, the core library,
// the network library, the message loop's start event. It runs under the loader lock: none of
// these waits for a thread.
#include "engine_tables.h"
#include "engine_tick.h"
#include "message_loop.h"
#include "module_name_queue.h"

namespace {
struct LibraryLoad {
    LibraryLoad() {
        CreateModuleNameQueue();
        BindCoreLibrary();
        BindNetLibrary();
        LoadEngineTickOffset();
        CreateStartEvent();
    }
};
LibraryLoad g_library_load;
}  // namespace
